#include "heap_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

// The replaced global allocation functions. They allocate with malloc (or
// aligned_alloc) as the standard ones do and count each successful call. In a
// program that also loads Ambleworks.so they replace the library's operator
// new too, because the executable's definitions come first in symbol lookup.

namespace {

std::atomic<uint64_t> allocations{0};

void* allocate(std::size_t size)
{
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block)
        allocations.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    const std::size_t align = static_cast<std::size_t>(alignment);
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t rounded = ((size == 0 ? 1 : size) + align - 1) / align * align;
    void* block = std::aligned_alloc(align, rounded);
    if (block)
        allocations.fetch_add(1, std::memory_order_relaxed);
    return block;
}

}  // namespace

namespace bench {

uint64_t heapAllocations()
{
    return allocations.load(std::memory_order_relaxed);
}

}  // namespace bench

void* operator new(std::size_t size)
{
    if (void* block = allocate(size))
        return block;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    if (void* block = allocate(size))
        return block;
    throw std::bad_alloc();
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size);
}

void* operator new(std::size_t size, std::align_val_t alignment)
{
    if (void* block = allocateAligned(size, alignment))
        return block;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size, std::align_val_t alignment)
{
    if (void* block = allocateAligned(size, alignment))
        return block;
    throw std::bad_alloc();
}

void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return allocateAligned(size, alignment);
}

void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return allocateAligned(size, alignment);
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(block);
}
