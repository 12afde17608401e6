# Relaytab: `make run` builds and starts the program, `make test` builds and runs every test.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps build run test test-asan bench fuzz package package-check clean distclean

all: build

deps:
	@tools/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Starts instrument-sim on the default port unless something listens there, and stops it again.
run: build
	@tools/run-with-sim $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Everything built with AddressSanitizer and UndefinedBehaviorSanitizer, then every test.
ASAN_BUILD ?= build-asan
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DRELAYTAB_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

bench: build
	@tools/run-benchmarks $(BUILD)

# libFuzzer targets with AddressSanitizer and UndefinedBehaviorSanitizer, FUZZ_SECONDS each.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	@tools/install-deps --fuzz
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DRELAYTAB_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target relaytab_fuzzers
	tools/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The .deb in build/, its dependencies taken from the binaries by dpkg-shlibdeps.
package: build
	@tools/install-deps --package
	cd $(BUILD) && cpack

package-check: package
	tools/check-package $(BUILD)

clean:
	-cmake --build $(BUILD) --target clean

distclean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(ASAN_BUILD)
