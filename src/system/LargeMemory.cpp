#include "LargeMemory.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <algorithm>
#include <cstdint>
#include <cstring>
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

// A number from a line "Key:   123 kB" of /proc/meminfo, in bytes.
std::uint64_t meminfoBytes(const QByteArray& text, const char* key) {
    const qsizetype at = text.indexOf(key);
    if (at < 0)
        return 0;
    const qsizetype end = text.indexOf('\n', at);
    return text.mid(at + qsizetype(std::strlen(key)), end - at)
               .simplified()
               .split(' ')[0]
               .toULongLong() *
           1024;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What memory the process may still take: the system's available memory and swap, and below
// the limit of its control group and of every group above it.
std::uint64_t room() {
    const QByteArray meminfo = readAll(QStringLiteral("/proc/meminfo"));
    std::uint64_t room =
        meminfoBytes(meminfo, "MemAvailable:") + meminfoBytes(meminfo, "SwapFree:");
    if (room == 0)
        room = UINT64_MAX; // not told
    const QByteArray self = readAll(QStringLiteral("/proc/self/cgroup"));
    if (!self.startsWith("0::/"))
        return room;
    QString group = QStringLiteral("/sys/fs/cgroup") + QString::fromUtf8(self.mid(3).trimmed());
    for (; group.size() > 14; group.truncate(group.lastIndexOf(QLatin1Char('/')))) {
        bool limited = false;
        const std::uint64_t max =
            readAll(group + QStringLiteral("/memory.max")).trimmed().toULongLong(&limited);
        const std::uint64_t used =
            readAll(group + QStringLiteral("/memory.current")).trimmed().toULongLong();
        if (limited)
            room = std::min(room, max > used ? max - used : 0);
    }
    return room;
}

} // namespace

bool fits(std::size_t bytes) {
    return bytes < kThreshold || bytes <= room();
}

void* allocate(std::size_t bytes) {
    if (bytes < kThreshold)
        return ::operator new(std::max<std::size_t>(bytes, 1));
    if (!fits(bytes))
        throw std::bad_alloc();
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

void* reallocate(void* p, std::size_t bytes, std::size_t newBytes) {
    if (bytes >= kThreshold && newBytes >= kThreshold) {
        if (newBytes > bytes && !fits(newBytes - bytes))
            throw std::bad_alloc();
        void* moved = ::mremap(p, bytes, newBytes, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED)
            throw std::bad_alloc();
        return moved;
    }
    void* fresh = allocate(newBytes);
    std::memcpy(fresh, p, std::min(bytes, newBytes));
    release(p, bytes);
    return fresh;
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
