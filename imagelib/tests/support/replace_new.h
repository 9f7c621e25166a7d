// Replaces the global allocation functions of a test program with ones that
// go through the program's own `Allocate` (defined before this header is
// included, in exactly one file of the program). On Linux the replacements
// also serve the shared libraries, so a test can make the library's own
// allocations fail. `Allocate` throws to fail; the nothrow forms turn that
// into a null result. Memory comes from malloc and goes back to free.
#pragma once

#include <cstdlib>
#include <new>

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new[](std::size_t n) { return Allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return Allocate(n);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& tag) noexcept { return operator new(n, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
