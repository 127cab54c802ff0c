#include "LineStore.h"

#include "system/Cpu.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

void LineStore::beginIndex(std::size_t expectedSize, std::optional<TextFormat> forced) {
    clear();
    forced_ = forced;
    scanned_ = 0;
    expected_ = expectedSize;
    headerRead_ = false;
    styleChosen_ = false;
    counts_ = {};
    // About one row per 40 bytes; only the entries used take memory. Only a hint: where the
    // memory is short, the rows take what they need as they come.
    try {
        starts_.reserve(expectedSize / 40 + 16);
    } catch (const std::bad_alloc&) {
    }
}

namespace {

using Counts = LineStore::LineEndCounts;

// Appends the row starts of d[at, to) in the style and counts the line ends; d[to] is readable
// (a CR's LF may be there). Byte by byte: for the ends of pieces and processors without AVX2.
template <LineEndStyle Style>
void appendRowStarts(const char* d, std::size_t at, std::size_t to, LineStore::Offsets& starts,
                     Counts& counts) {
    for (; at < to; ++at) {
        const char c = d[at];
        if (c == '\r') {
            ++counts.cr;
            const bool lf = d[at + 1] == '\n';
            counts.crlf += lf;
            if (Style == LineEndStyle::Cr)
                starts.push_back(at + 1 + lf);
        } else if (c == '\n') {
            ++counts.lf;
            if (Style == LineEndStyle::Lf)
                starts.push_back(at + 1);
        }
    }
}

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

// The same sixty-four bytes at a time, up to where a whole block no longer fits; returns where
// it stopped. Rows are short, so their starts come from the bits of each block without a
// branch per row.
template <LineEndStyle Style>
KARVEL_AVX2 std::size_t appendRowStartsAvx2(const char* d, std::size_t at, std::size_t to,
                                            LineStore::Offsets& starts, Counts& counts) {
    constexpr std::size_t kBatch = 4096;
    std::uint64_t batch[kBatch + 64];
    std::size_t n = 0;
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    for (; at + 64 <= to; at += 64) {
        const std::uint64_t crs = bytesEqual(d, at, cr);
        const std::uint64_t lfs = bytesEqual(d, at, lf);
        const std::uint64_t crlf = crs & bytesEqual(d, at + 1, lf); // the CRs an LF follows
        counts.cr += std::uint64_t(std::popcount(crs));
        counts.lf += std::uint64_t(std::popcount(lfs));
        counts.crlf += std::uint64_t(std::popcount(crlf));
        std::uint64_t ends = Style == LineEndStyle::Cr ? crs : lfs;
        const int count = std::popcount(ends);
        auto put = [&](int k) {
            const auto b = unsigned(std::countr_zero(ends)); // 64 once the bits run out
            const std::uint64_t skip = Style == LineEndStyle::Cr ? (crlf >> (b & 63)) & 1 : 0;
            batch[n + std::size_t(k)] = at + b + 1 + skip;
            ends &= ends - 1;
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

#undef KARVEL_AVX2
#endif

// The same in UTF-16, unit by unit from at while a whole unit lies before to; the unit after
// each one is readable. Returns where it stopped.
template <bool BigEndian, LineEndStyle Style>
std::size_t appendRowStartsUtf16(const char* d, std::size_t at, std::size_t to,
                                 LineStore::Offsets& starts, Counts& counts) {
    for (; at + 2 <= to; at += 2) {
        const char16_t u = utf16::unitAt(d + at, BigEndian);
        if (u > '\r')
            continue;
        if (u == '\r') {
            ++counts.cr;
            const bool lf = utf16::unitAt(d + at + 2, BigEndian) == '\n';
            counts.crlf += lf;
            if (Style == LineEndStyle::Cr)
                starts.push_back(at + 2 + 2 * lf);
        } else if (u == '\n') {
            ++counts.lf;
            if (Style == LineEndStyle::Lf)
                starts.push_back(at + 2);
        }
    }
    return at;
}

template <LineEndStyle Style>
void scanRows(const char* d, std::size_t at, std::size_t to, LineStore::Offsets& starts,
              Counts& counts) {
#if defined(__x86_64__)
    if (cpuHasAvx2())
        at = appendRowStartsAvx2<Style>(d, at, to, starts, counts);
#endif
    appendRowStarts<Style>(d, at, to, starts, counts);
}

} // namespace

// Indexes d[scanned_, to); d[to] is readable.
void LineStore::scan(const char* d, std::size_t to) {
    if (scanned_ >= to)
        return;
    if (wide_) {
        const bool cr = format_.lineEnd == LineEndStyle::Cr;
        if (bigEndian_)
            scanned_ =
                cr ? appendRowStartsUtf16<true, LineEndStyle::Cr>(d, scanned_, to, starts_, counts_)
                   : appendRowStartsUtf16<true, LineEndStyle::Lf>(d, scanned_, to, starts_,
                                                                  counts_);
        else
            scanned_ = cr ? appendRowStartsUtf16<false, LineEndStyle::Cr>(d, scanned_, to, starts_,
                                                                          counts_)
                          : appendRowStartsUtf16<false, LineEndStyle::Lf>(d, scanned_, to, starts_,
                                                                          counts_);
        return;
    }
    if (format_.lineEnd == LineEndStyle::Cr)
        scanRows<LineEndStyle::Cr>(d, scanned_, to, starts_, counts_);
    else
        scanRows<LineEndStyle::Lf>(d, scanned_, to, starts_, counts_);
    scanned_ = to;
}

LineEndStyle LineStore::styleOfCounts() const {
    return counts_.lf - counts_.crlf > counts_.cr ? LineEndStyle::Lf : LineEndStyle::Cr;
}

void LineStore::restartIndex(LineEndStyle style) {
    format_.lineEnd = style;
    scanned_ = starts_.front();
    starts_.resize(1);
    counts_ = {};
}

// The length of the byte order mark data starts with (0: none), deciding the encoding by it.
std::size_t LineStore::byteOrderMarkOf(const char* d, std::size_t size) {
    const bool utf8 = utf8::hasByteOrderMark(d, size);
    const bool le = size >= 2 && d[0] == '\xff' && d[1] == '\xfe';
    const bool be = size >= 2 && d[0] == '\xfe' && d[1] == '\xff';
    if (forced_) // only the forced encoding's own mark
        return format_.encoding == TextEncoding::Utf8      ? (utf8 ? 3 : 0)
               : format_.encoding == TextEncoding::Utf16Le ? (le ? 2 : 0)
               : format_.encoding == TextEncoding::Utf16Be ? (be ? 2 : 0)
                                                           : 0;
    format_.encoding = utf8 ? TextEncoding::Utf8
                       : le ? TextEncoding::Utf16Le
                       : be ? TextEncoding::Utf16Be
                            : format_.encoding;
    return utf8 ? 3 : le || be ? 2 : 0;
}

// A byte order mark decides the encoding and belongs to no row; so do UTF-16's zero bytes.
void LineStore::readHeader(const char* d, std::size_t size, std::size_t expectedSize) {
    headerRead_ = true;
    format_ = forced_.value_or(TextFormat{});
    styleChosen_ = forced_.has_value();
    counts_ = {};
    const std::size_t bom = byteOrderMarkOf(d, size);
    if (!forced_ && bom == 0)
        if (auto le = utf16::guessWithoutMark(d, std::min(size, kHeaderBytes)))
            format_.encoding = *le ? TextEncoding::Utf16Le : TextEncoding::Utf16Be;
    encodingDecided_ = forced_ || bom > 0 || isUtf16(format_.encoding);
    wide_ = isUtf16(format_.encoding);
    bigEndian_ = format_.encoding == TextEncoding::Utf16Be;
    scanned_ = bom;
    starts_.assign(1, scanned_);
    census_.begin(scanned_, expectedSize);
}

void LineStore::indexRead(const char* d, std::size_t size) {
    if (!headerRead_) {
        // Too little to tell a byte order mark or UTF-16: the whole start, or all there is.
        const std::size_t start = std::min(expected_ ? expected_ : kHeaderBytes, kHeaderBytes);
        if (size < std::max<std::size_t>(start, 3))
            return;
        readHeader(d, size, expected_);
    }
    // The last byte (unit) waits for the next piece: an LF may follow a CR there.
    scan(d, wide_ ? (size >= 2 ? size - 2 : 0) : size - 1);
    if (!styleChosen_ && scanned_ > starts_.front()) {
        // The first piece chooses the style; the rest of the file rarely disagrees.
        styleChosen_ = true;
        if (styleOfCounts() != format_.lineEnd) {
            restartIndex(styleOfCounts());
            scan(d, wide_ ? (size >= 2 ? size - 2 : 0) : size - 1);
        }
    }
    if (!encodingDecided_)
        census_.feed(d, size);
}

void LineStore::adopt(ByteBuffer bytes, bool completeLinesOnly, std::optional<TextFormat> forced) {
    bytes_ = std::move(bytes);
    char* d = bytes_.data.get();
    std::size_t size = bytes_.size;
    if (forced)
        forced_ = forced;
    if (!headerRead_) // nothing was indexed while reading
        readHeader(d, size, size);
    // Nothing follows the last byte: no line end, nor in UTF-16 half of one with a last odd byte.
    std::memset(d + size, wide_ ? 0xFF : 0, kSlack);
    scan(d, size);
    if (!forced_ && styleOfCounts() != format_.lineEnd) {
        restartIndex(styleOfCounts());
        scan(d, size);
    }
    if (!encodingDecided_) {
        census_.finish(d, size);
        format_.encoding = census_.decide(format_.lineEnd);
    }
    headerRead_ = false;
    styleChosen_ = false;
    forced_.reset();
    scanned_ = 0;
    if (starts_.back() != size) {
        if (completeLinesOnly) {
            size = starts_.back();
        } else {
            // Give the unterminated last line a terminator of its own, so every row ends in one.
            const QByteArrayView end =
                lineTerminator(TextFormat{LineEndStyle::Cr, format_.encoding});
            std::memcpy(d + size, end.data(), std::size_t(end.size()));
            size += std::size_t(end.size());
            starts_.push_back(size);
        }
    }
    bytes_.size = size;
    if (starts_.capacity() > 2 * starts_.size() + 1024)
        starts_.shrink_to_fit();
    selected_.assign((rowCount() + 63) / 64, 0);
    countSelection();
}

void LineStore::replaceWith(LineStore&& other) {
    clear();
    std::swap(bytes_, other.bytes_);
    starts_.swap(other.starts_);
    selected_.swap(other.selected_);
    blockCounts_.swap(other.blockCounts_);
    std::swap(selectedCount_, other.selectedCount_);
    format_ = other.format_;
    wide_ = other.wide_;
    bigEndian_ = other.bigEndian_;
    other.clear();
}

// Gives the memory back: a replaced document must not hold on to the old one's.
void LineStore::clear() {
    ++generation_;
    format_ = {};
    wide_ = bigEndian_ = false;
    bytes_ = ByteBuffer{};
    Offsets(1, 0).swap(starts_);
    std::vector<std::uint64_t>().swap(selected_);
    std::vector<std::uint32_t>().swap(blockCounts_);
    selectedCount_ = 0;
}

QString LineStore::rowText(std::size_t row, std::size_t maxUnits) const {
    const QByteArrayView b = rowBytes(row);
    return decodeText(format_.encoding, b.data(), std::size_t(b.size()), maxUnits);
}

void LineStore::setRangeSelected(std::size_t first, std::size_t last, bool on) {
    if (first > last)
        std::swap(first, last);
    // Whole words at once: a range over millions of rows is a memset, not a loop over rows.
    while (first <= last && (first & 63) != 0)
        setSelected(first++, on);
    while (first + 63 <= last) {
        std::uint64_t& word = selected_[first >> 6];
        const std::uint32_t before = std::uint32_t(std::popcount(word)), after = on ? 64 : 0;
        word = on ? ~std::uint64_t(0) : 0;
        blockCounts_[first >> kBlockShift] += after - before; // modulo 2^32: exact
        selectedCount_ = selectedCount_ + after - before;
        first += 64;
    }
    while (first <= last)
        setSelected(first++, on);
}

void LineStore::clearSelection() {
    std::fill(selected_.begin(), selected_.end(), 0);
    std::fill(blockCounts_.begin(), blockCounts_.end(), 0);
    selectedCount_ = 0;
}

void LineStore::setSelectionWords(std::vector<std::uint64_t> words) {
    selected_ = std::move(words);
    countSelection();
}

void LineStore::countSelection() {
    blockCounts_.assign((rowCount() + kBlockRows - 1) >> kBlockShift, 0);
    selectedCount_ = 0;
    for (std::size_t w = 0; w < selected_.size(); ++w) {
        const auto n = std::uint32_t(std::popcount(selected_[w]));
        blockCounts_[w >> (kBlockShift - 6)] += n;
        selectedCount_ += n;
    }
}

std::size_t LineStore::selectedCountIn(std::size_t first, std::size_t last) const {
    std::size_t n = 0;
    for (std::size_t b = first >> kBlockShift; b <= last >> kBlockShift; ++b) {
        const std::size_t blockFirst = b << kBlockShift, blockLast = blockFirst + kBlockRows - 1;
        if (first <= blockFirst && blockLast <= last) {
            n += blockCounts_[b];
            continue;
        }
        const std::size_t from = std::max(first, blockFirst), to = std::min(last, blockLast);
        for (std::size_t w = from >> 6; w <= to >> 6; ++w)
            n += std::size_t(std::popcount(selected_[w] & wordMask(w, from, to)));
    }
    return n;
}
