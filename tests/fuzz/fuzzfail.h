#pragma once

#include <cstdio>
#include <cstdlib>

namespace corvanta {

// Stops a fuzz run at a broken property, naming it; libFuzzer keeps the
// input that did it.
[[noreturn]] inline void fuzzFail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace corvanta
