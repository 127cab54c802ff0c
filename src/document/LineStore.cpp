#include "LineStore.h"

#include "platform/Cp932.h"

#include <algorithm>
#include <bit>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

void LineStore::beginIndex() {
    clear();
    scanned_ = 0;
}

void LineStore::reserveRows(std::size_t fileSize) {
    // About one row per 40 bytes; only the entries used take memory.
    starts_.reserve(fileSize / 40 + 16);
}

namespace {

#if defined(__x86_64__)
#define KARVEL_AVX2 __attribute__((target("avx2,bmi,bmi2,popcnt")))

// Bit b is set where d[at + b] is c, for sixty-four bytes.
KARVEL_AVX2 inline std::uint64_t bytesEqual(const char* d, std::size_t at, __m256i c) {
    const auto* p = reinterpret_cast<const __m256i*>(d + at);
    const auto lo =
        std::uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_loadu_si256(p), c)));
    const auto hi =
        std::uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_loadu_si256(p + 1), c)));
    return lo | std::uint64_t(hi) << 32;
}

// Appends the row starts after the CRs in d[at, to) sixty-four bytes at a time, up to where a
// whole block no longer fits; returns where it stopped. d[to] is readable. Rows are short, so
// their starts come from the bits of each block without a branch per row.
KARVEL_AVX2 std::size_t appendRowStartsAvx2(const char* d, std::size_t at, std::size_t to,
                                            LineStore::Offsets& starts) {
    constexpr std::size_t kBatch = 4096;
    std::uint64_t batch[kBatch + 64];
    std::size_t n = 0;
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    for (; at + 64 <= to; at += 64) {
        std::uint64_t crs = bytesEqual(d, at, cr);
        const std::uint64_t crlf = crs & bytesEqual(d, at + 1, lf); // the CRs an LF follows
        const int count = std::popcount(crs);
        auto put = [&](int k) {
            const auto b = unsigned(std::countr_zero(crs)); // 64 once the bits run out
            batch[n + std::size_t(k)] = at + b + 1 + ((crlf >> (b & 63)) & 1);
            crs &= crs - 1;
        };
        // Four starts are written whatever the count; those past it are overwritten later.
        put(0), put(1), put(2), put(3);
        for (int k = 4; k < count; ++k)
            put(k);
        n += std::size_t(count);
        if (n >= kBatch) {
            starts.insert(starts.end(), batch, batch + n);
            n = 0;
        }
    }
    starts.insert(starts.end(), batch, batch + n);
    return at;
}

bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                            __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
    return has;
}
#undef KARVEL_AVX2
#endif

} // namespace

void LineStore::indexRead(const char* d, std::size_t size) {
    // Every CR ends a row, together with an LF right after it. A CR in the last byte waits for
    // the next piece: an LF may follow it.
    const std::size_t end = size == 0 ? 0 : size - 1; // each CR before end has its next byte
    std::size_t at = scanned_;
#if defined(__x86_64__)
    if (at < end && hasAvx2())
        at = appendRowStartsAvx2(d, at, end, starts_);
#endif
    while (at < end) {
        const auto* cr = static_cast<const char*>(std::memchr(d + at, '\r', end - at));
        if (!cr)
            break;
        at = std::size_t(cr - d) + 1;
        if (d[at] == '\n')
            ++at;
        starts_.push_back(std::uint64_t(at));
    }
    scanned_ = size > 0 && d[size - 1] != '\r' ? size : end;
}

void LineStore::adopt(ByteBuffer bytes, bool completeLinesOnly) {
    bytes_ = std::move(bytes);
    char* d = bytes_.data.get();
    std::size_t size = bytes_.size;
    if (scanned_ == 0)
        starts_.assign(1, 0);
    indexRead(d, size);
    if (scanned_ < size && d[size - 1] == '\r') // the file ends in a lone CR
        starts_.push_back(size);
    scanned_ = 0;
    if (starts_.back() != size) {
        if (completeLinesOnly) {
            size = starts_.back();
        } else {
            // Give the unterminated last line a terminator of its own, so every row ends in one.
            d[size] = '\r';
            d[size + 1] = '\n';
            size += 2;
            starts_.push_back(size);
        }
    }
    bytes_.size = size;
    if (starts_.capacity() > 2 * starts_.size() + 1024)
        starts_.shrink_to_fit();
    selected_.assign((rowCount() + 63) / 64, 0);
}

// Gives the memory back: a replaced document must not hold on to the old one's.
void LineStore::clear() {
    ++generation_;
    bytes_ = ByteBuffer{};
    Offsets(1, 0).swap(starts_);
    std::vector<std::uint64_t>().swap(selected_);
}

QString LineStore::rowText(std::size_t row, std::size_t maxUnits) const {
    const QByteArrayView b = rowBytes(row);
    return cp932::decode(b.data(), std::size_t(b.size()), maxUnits);
}

void LineStore::setRangeSelected(std::size_t first, std::size_t last, bool on) {
    if (first > last)
        std::swap(first, last);
    // Whole words at once: a range over millions of rows is a memset, not a loop over rows.
    while (first <= last && (first & 63) != 0)
        setSelected(first++, on);
    while (first + 63 <= last) {
        selected_[first >> 6] = on ? ~std::uint64_t(0) : 0;
        first += 64;
    }
    while (first <= last)
        setSelected(first++, on);
}

void LineStore::clearSelection() {
    std::fill(selected_.begin(), selected_.end(), 0);
}

std::size_t LineStore::selectedCount() const {
    std::size_t n = 0;
    for (std::uint64_t w : selected_)
        n += std::size_t(std::popcount(w));
    return n;
}
