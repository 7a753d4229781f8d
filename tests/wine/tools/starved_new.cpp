#include "starved_new.h"

#include <cstdlib>
#include <new>

namespace {
thread_local long allowance = -1;  // -1: not starved
}

void StarveAfter(long allowed) { allowance = allowed; }
void Feed() { allowance = -1; }

// The replaceable allocation function; the C++ library's nothrow and array
// forms call it. Deletion stays the library's (free).
void* operator new(std::size_t size) {
    if (allowance == 0) throw std::bad_alloc();
    if (allowance > 0) --allowance;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
