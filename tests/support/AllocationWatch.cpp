#include "support/AllocationWatch.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace fennick::test {

namespace {

std::atomic<std::size_t> largest{0};

} // namespace

void Note(std::size_t size)
{
    std::size_t seen = largest.load(std::memory_order_relaxed);
    while (size > seen && !largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
}

void ResetLargestAllocation()
{
    largest.store(0, std::memory_order_relaxed);
}

bool AllocationWatchSeesArrays()
{
    ResetLargestAllocation();
    // Through a volatile pointer, so that the compiler cannot leave the pair out.
    unsigned char* volatile probe = new unsigned char[4096];
    delete[] probe;
    return LargestAllocation() >= 4096;
}

std::size_t LargestAllocation()
{
    return largest.load(std::memory_order_relaxed);
}

} // namespace fennick::test

// Every form is replaced: where the standard library is a DLL (Windows), its
// own array and nothrow forms do not call the program's plain one.
void* operator new(std::size_t size)
{
    fennick::test::Note(size);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t& /*tag*/) noexcept
{
    fennick::test::Note(size);
    return std::malloc(size == 0 ? 1 : size);
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t /*size*/) noexcept
{
    std::free(p);
}

void operator delete(void* p, const std::nothrow_t& /*tag*/) noexcept
{
    std::free(p);
}

void operator delete[](void* p, const std::nothrow_t& /*tag*/) noexcept
{
    std::free(p);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t /*size*/) noexcept
{
    std::free(p);
}
