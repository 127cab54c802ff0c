#include "LargeMemory.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <algorithm>
#include <cstdint>
#include <sys/mman.h>

namespace large_memory {
namespace {

// Huge pages free right now (blocks of 2 MiB and more in the kernel's free lists). Asking for
// huge pages when there are too few makes the kernel compact memory first, which is slower
// than taking small pages.
std::size_t freeHugePages() {
    QFile info(QStringLiteral("/proc/buddyinfo"));
    if (!info.open(QIODevice::ReadOnly))
        return 0;
    std::size_t pages = 0;
    for (const QByteArray& line : info.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // "Node 0, zone Normal c0 c1 ... c10": counts of free blocks of 2^order pages.
        for (qsizetype order = 9; order + 4 < fields.size(); ++order)
            pages += fields[order + 4].toULongLong() << (order - 9);
    }
    return pages;
}

} // namespace

void* allocate(std::size_t bytes) {
    if (bytes < kThreshold)
        return ::operator new(std::max<std::size_t>(bytes, 1));
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    if (freeHugePages() * (std::size_t(2) << 20) >= bytes)
        ::madvise(p, bytes, MADV_HUGEPAGE);
    return p;
}

void preferHugePages(void* p, std::size_t bytes) {
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    const auto begin = (reinterpret_cast<std::uintptr_t>(p) + kHuge - 1) & ~(kHuge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(kHuge - 1);
    if (bytes >= kThreshold && end > begin && freeHugePages() * kHuge >= end - begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

void release(void* p, std::size_t bytes) {
    if (!p)
        return;
    if (bytes < kThreshold)
        ::operator delete(p);
    else
        ::munmap(p, bytes);
}

} // namespace large_memory
