#include "Utf8.h"

#include "system/Cpu.h"

#include <algorithm>
#include <bit>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace utf8 {

namespace {

enum class Kind { Valid, Invalid, Cut, Wait };

// The multi-byte sequence at p[i] (i < n, p[i] >= 0x80): its kind and its length, an invalid
// one as its longest well-formed prefix (or one byte). Wait: the end may have cut it (not
// final).
Kind sequenceAt(const unsigned char* p, std::size_t i, std::size_t n, bool final,
                std::size_t* length) {
    const unsigned char b = p[i];
    std::size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF; // the second byte's range
    if (b >= 0xC2 && b <= 0xDF)
        len = 2;
    else if (b >= 0xE0 && b <= 0xEF)
        len = 3, lo = b == 0xE0 ? 0xA0 : 0x80, hi = b == 0xED ? 0x9F : 0xBF;
    else if (b >= 0xF0 && b <= 0xF4)
        len = 4, lo = b == 0xF0 ? 0x90 : 0x80, hi = b == 0xF4 ? 0x8F : 0xBF;
    *length = 1;
    if (len == 0)
        return Kind::Invalid;
    std::size_t j = 1;
    for (; j < len; ++j) {
        if (i + j >= n) {
            *length = j;
            return final ? Kind::Cut : Kind::Wait;
        }
        const unsigned char c = p[i + j];
        if (c < (j == 1 ? lo : 0x80) || c > (j == 1 ? hi : 0xBF))
            break;
    }
    *length = j;
    return j == len ? Kind::Valid : Kind::Invalid;
}

} // namespace

std::size_t countSequences(const unsigned char* p, std::size_t n, bool final, Counts& counts) {
    std::size_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = 0;
        switch (sequenceAt(p, i, n, final, &len)) {
        case Kind::Wait:
            return i;
        case Kind::Valid:
            ++counts.valid;
            break;
        case Kind::Invalid:
            ++counts.invalid;
            break;
        case Kind::Cut:
            ++counts.cut;
            break;
        }
        i += len;
    }
    return i;
}

QString decode(const char* data, std::size_t size, std::size_t maxUnits) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    if (wellFormed(p, size) && maxUnits >= size)
        return QString::fromUtf8(data, qsizetype(size));
    QString out;
    out.reserve(qsizetype(std::min(size, maxUnits)));
    std::size_t i = 0;
    while (i < size && std::size_t(out.size()) < maxUnits) {
        std::size_t len = 1;
        if (p[i] < 0x80) {
            out.append(QChar(p[i]));
        } else if (sequenceAt(p, i, size, true, &len) != Kind::Valid) {
            out.append(QChar(0xFFFD));
        } else {
            char32_t c = p[i] & (0x7F >> len);
            for (std::size_t k = 1; k < len; ++k)
                c = c << 6 | (p[i + k] & 0x3F);
            if (c >= 0x10000) {
                out.append(QChar(QChar::highSurrogate(c)));
                out.append(QChar(QChar::lowSurrogate(c)));
            } else {
                out.append(QChar(char16_t(c)));
            }
        }
        i += len;
    }
    if (std::size_t(out.size()) > maxUnits)
        out.truncate(qsizetype(maxUnits));
    return out;
}

namespace {

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

#if defined(__x86_64__)
#define KARVEL_AVX2 __attribute__((target("avx2,popcnt")))

namespace error_bits {
constexpr char TooShort = 1 << 0, TooLong = 1 << 1, Overlong3 = 1 << 2, TooLarge = 1 << 3,
               Surrogate = 1 << 4, Overlong2 = 1 << 5, TooLarge1000 = 1 << 6, Overlong4 = 1 << 6,
               TwoConts = char(1 << 7);
constexpr char Carry = TooShort | TooLong | TwoConts;
} // namespace error_bits

// A nibble table, repeated in both lanes.
#define KARVEL_TABLE(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15)         \
    _mm256_setr_epi8(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a0, a1, \
                     a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15)

// The input shifted by n bytes, the previous block's last bytes coming in.
#define KARVEL_PREVIOUS(input, prev, n)                                                            \
    _mm256_alignr_epi8(input, _mm256_permute2x128_si256(prev, input, 0x21), 16 - (n))

// Whether data[0, size) is well-formed UTF-8 with no sequence cut at either end: each byte is
// checked against the one to three before it through three nibble tables, thirty-two bytes at a
// time (the method of Keiser and Lemire). On success, *sequences is the number of multi-byte
// sequences (their lead bytes).
KARVEL_AVX2 bool validateAvx2(const unsigned char* p, std::size_t size, std::uint64_t* sequences) {
    using namespace error_bits;
    const __m256i byte1HighTable = KARVEL_TABLE(
        TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TwoConts, TwoConts,
        TwoConts, TwoConts, TooShort | Overlong2, TooShort, TooShort | Overlong3 | Surrogate,
        TooShort | TooLarge | TooLarge1000 | Overlong4);
    const __m256i byte1LowTable =
        KARVEL_TABLE(Carry | Overlong3 | Overlong2 | Overlong4, Carry | Overlong2, Carry, Carry,
                     Carry | TooLarge, Carry | TooLarge | TooLarge1000,
                     Carry | TooLarge | TooLarge1000, Carry | TooLarge | TooLarge1000,
                     Carry | TooLarge | TooLarge1000, Carry | TooLarge | TooLarge1000,
                     Carry | TooLarge | TooLarge1000, Carry | TooLarge | TooLarge1000,
                     Carry | TooLarge | TooLarge1000, Carry | TooLarge | TooLarge1000 | Surrogate,
                     Carry | TooLarge | TooLarge1000, Carry | TooLarge | TooLarge1000);
    const __m256i byte2HighTable =
        KARVEL_TABLE(TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, TooShort,
                     TooLong | Overlong2 | TwoConts | Overlong3 | TooLarge1000 | Overlong4,
                     TooLong | Overlong2 | TwoConts | Overlong3 | TooLarge,
                     TooLong | Overlong2 | TwoConts | Surrogate | TooLarge,
                     TooLong | Overlong2 | TwoConts | Surrogate | TooLarge, TooShort, TooShort,
                     TooShort, TooShort);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    __m256i prev = _mm256_setzero_si256();
    __m256i error = _mm256_setzero_si256();
    std::uint64_t leads = 0;
    alignas(32) unsigned char tail[32] = {};
    for (std::size_t i = 0;; i += 32) {
        const bool last = i + 32 > size;
        __m256i input;
        if (last) {
            // The tail padded with ASCII, which also shows a sequence cut by the end.
            std::memcpy(tail, p + i, size - i);
            input = _mm256_load_si256(reinterpret_cast<const __m256i*>(tail));
        } else {
            input = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        }
        const unsigned high = unsigned(_mm256_movemask_epi8(input));
        const unsigned cont =
            unsigned(_mm256_movemask_epi8(_mm256_cmpgt_epi8(_mm256_set1_epi8(-64), input)));
        leads += std::uint64_t(std::popcount(high) - std::popcount(cont));

        const __m256i prev1 = KARVEL_PREVIOUS(input, prev, 1);
        const __m256i byte1High = _mm256_shuffle_epi8(
            byte1HighTable, _mm256_and_si256(_mm256_srli_epi16(prev1, 4), nibble));
        const __m256i byte1Low =
            _mm256_shuffle_epi8(byte1LowTable, _mm256_and_si256(prev1, nibble));
        const __m256i byte2High = _mm256_shuffle_epi8(
            byte2HighTable, _mm256_and_si256(_mm256_srli_epi16(input, 4), nibble));
        const __m256i special = _mm256_and_si256(_mm256_and_si256(byte1High, byte1Low), byte2High);
        // Third and fourth bytes of three- and four-byte sequences must be continuations.
        const __m256i third =
            _mm256_subs_epu8(KARVEL_PREVIOUS(input, prev, 2), _mm256_set1_epi8(char(0xDF)));
        const __m256i fourth =
            _mm256_subs_epu8(KARVEL_PREVIOUS(input, prev, 3), _mm256_set1_epi8(char(0xEF)));
        const __m256i must23 =
            _mm256_cmpgt_epi8(_mm256_or_si256(third, fourth), _mm256_setzero_si256());
        const __m256i must23High = _mm256_and_si256(must23, _mm256_set1_epi8(char(0x80)));
        error = _mm256_or_si256(error, _mm256_xor_si256(must23High, special));
        prev = input;
        if (last)
            break;
    }
    if (!_mm256_testz_si256(error, error))
        return false;
    *sequences = leads;
    return true;
}
#undef KARVEL_TABLE
#undef KARVEL_PREVIOUS

#undef KARVEL_AVX2
#endif

constexpr std::size_t kChunk = 64 * 1024;

} // namespace

bool wellFormed(const unsigned char* data, std::size_t size) {
#if defined(__x86_64__)
    std::uint64_t sequences = 0;
    if (cpuHasAvx2())
        return validateAvx2(data, size, &sequences);
#endif
    Counts counts;
    countSequences(data, size, true, counts);
    return counts.invalid == 0 && counts.cut == 0;
}

void Census::begin(std::size_t start, std::size_t expectedSize) {
    counts_ = {};
    pos_ = start;
    expected_ = expectedSize;
    settled_ = false;
}

void Census::run(const char* data, std::size_t size, bool final) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    // Until the file is read, the last byte waits: what follows it may continue its sequence.
    const std::size_t limit = final ? size : (size > 0 ? size - 1 : 0);
    while (!settled_ && pos_ < limit) {
        // A chunk ends before a byte that no sequence before it can take (one that is not a
        // continuation byte), so counting it alone counts as the whole file would.
        std::size_t end = std::min(limit, pos_ + kChunk);
        bool boundary = end == size;
        for (std::size_t b = end; !boundary && b > pos_ && end - b < 4; --b)
            if (!isContinuation(p[b]))
                end = b, boundary = true;
#if defined(__x86_64__)
        std::uint64_t sequences = 0;
        if (boundary && cpuHasAvx2() && validateAvx2(p + pos_, end - pos_, &sequences)) {
            counts_.valid += sequences;
            pos_ = end;
        } else
#endif
        {
            const std::uint64_t cutBefore = counts_.cut;
            const std::size_t used = countSequences(p + pos_, end - pos_, boundary, counts_);
            if (end != size || !final) {
                // Cut by a chunk's end before a byte that cannot continue it: invalid.
                counts_.invalid += counts_.cut - cutBefore;
                counts_.cut = cutBefore;
            }
            if (used == 0)
                return; // a sequence the end may have cut: wait for more
            pos_ += used;
        }
        // Every sequence still to come takes at least two bytes; and a file that starts with a
        // thousand invalid sequences and too few valid ones is text in another encoding, not
        // UTF-8 with a broken character.
        const bool ratioMissed = counts_.invalid * kValidPerInvalid > counts_.valid;
        if ((expected_ > pos_ &&
             counts_.invalid * kValidPerInvalid > counts_.valid + (expected_ - pos_) / 2) ||
            (ratioMissed && counts_.invalid >= kDecisiveInvalid))
            settled_ = true;
    }
}

} // namespace utf8
