#pragma once

// Shared by the fuzz targets. A broken invariant must stop the run loudly, in the
// fuzzer and in the replay test alike, so it aborts rather than throwing (an
// exception could be swallowed by the code under test).

#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::fuzz::Fail(__FILE__, __LINE__, #condition);                                          \
    } while (false)

namespace fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

inline std::string_view AsText(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace fuzz
