# Relaytab: `make run` builds and starts the program, `make test` builds and runs every test.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps build run test bench fuzz clean distclean

all: build

deps:
	@tools/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/relaytab

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

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

clean:
	-cmake --build $(BUILD) --target clean

distclean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
