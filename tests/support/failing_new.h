// This test program's operator new, which a test can tell to fail. Include it in exactly one
// source file of a test program: it replaces the global operator new and delete there. The
// blocks still come from malloc, where the sanitizers see them.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

namespace failing_new {
// The allocation after this many more fails, once; negative: none does.
inline long long AllocationsLeft = -1;
// Every allocation of at least this many bytes fails; 0: none does.
inline std::size_t FailFrom = 0;
} // namespace failing_new

void* operator new(std::size_t Size) {
    if (failing_new::AllocationsLeft == 0) {
        failing_new::AllocationsLeft = -1;
        throw std::bad_alloc();
    }
    if (failing_new::AllocationsLeft > 0) --failing_new::AllocationsLeft;
    if (failing_new::FailFrom != 0 && Size >= failing_new::FailFrom) throw std::bad_alloc();
    if (void* P = std::malloc(Size != 0 ? Size : 1)) return P;
    throw std::bad_alloc();
}
// This pair frees what the operator new above took from malloc; GCC cannot see that the
// two belong together.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* P) noexcept {
    std::free(P);
}
void operator delete(void* P, std::size_t) noexcept {
    std::free(P);
}
#pragma GCC diagnostic pop
