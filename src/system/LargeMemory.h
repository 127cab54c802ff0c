#pragma once
// Memory for the document's large arrays. Blocks of 64 MiB and more are taken straight from
// the system and asked to use huge pages where the kernel has them free: a gigabyte in small
// pages costs a quarter of a million page faults.
#include <cstddef>
#include <new>

namespace large_memory {

inline constexpr std::size_t kThreshold = std::size_t(64) << 20;

// Whether a block of bytes fits in what the process may still take: the memory and swap the
// system has available, and what its control group's limits leave (a limit on the address
// space is the system's to enforce). Blocks below kThreshold always do.
bool fits(std::size_t bytes);

void* allocate(std::size_t bytes); // throws std::bad_alloc, also where the block does not fit
// The block p of bytes, made newBytes long: the content stays (as far as both reach), a large
// block's pages are moved, not copied. Throws std::bad_alloc, p then unchanged.
void* reallocate(void* p, std::size_t bytes, std::size_t newBytes);
void release(void* p, std::size_t bytes);
// Asks for huge pages in a large block made elsewhere (a QByteArray's), before it is written.
void preferHugePages(void* p, std::size_t bytes);

// For containers: std::vector<T, large_memory::Allocator<T>>.
template <typename T> struct Allocator {
    using value_type = T;
    Allocator() = default;
    template <typename U> Allocator(const Allocator<U>&) {}
    T* allocate(std::size_t n) { return static_cast<T*>(large_memory::allocate(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) { large_memory::release(p, n * sizeof(T)); }
    template <typename U> bool operator==(const Allocator<U>&) const { return true; }
};

} // namespace large_memory
