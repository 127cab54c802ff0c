#pragma once
// Memory for the document's large arrays. Blocks of 64 MiB and more are taken straight from
// the system and asked to use huge pages where the kernel has them free: a gigabyte in small
// pages costs a quarter of a million page faults.
#include <cstddef>
#include <new>

namespace large_memory {

inline constexpr std::size_t kThreshold = std::size_t(64) << 20;

void* allocate(std::size_t bytes); // throws std::bad_alloc
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
