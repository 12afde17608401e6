// A property that does not hold aborts: libFuzzer reports that as a finding, with its input.
#pragma once

#include <cstdint>
#include <cstdlib>

inline void check(bool property)
{
    if (!property)
        std::abort();
}
