#pragma once

#include <cstdio>
#include <cstdlib>

// A property every input must keep. Breaking it stops the run like a crash,
// so that libFuzzer keeps the input that broke it.
inline void fuzzExpect(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}
