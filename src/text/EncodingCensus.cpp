#include "EncodingCensus.h"

#include "Cp932.h"
#include "Jis.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Skips ASCII eight bytes at a time; returns the first byte above 0x7F at or after i (or n).
std::size_t skipAscii(const unsigned char* p, std::size_t i, std::size_t n) {
    while (i + 8 <= n) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080u)
            break;
        i += 8;
    }
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}

// Whether the EUC-JP bytes from i to the end n could be the start of a longer character.
bool cutByTheEnd(const unsigned char* p, std::size_t i, std::size_t n, std::size_t longest) {
    if (n - i >= longest || !(jis::isEucByte(p[i]) || p[i] == 0x8E || p[i] == 0x8F))
        return false;
    for (std::size_t k = i + 1; k < n; ++k)
        if (!jis::isEucByte(p[k]))
            return false;
    return true;
}

// Scores p[i, n) read as EUC-JP; without final, stops before a character the end may cut.
std::size_t scoreEucJp(const unsigned char* p, std::size_t i, std::size_t n, bool final,
                       std::int64_t& score) {
    while ((i = skipAscii(p, i, n)) < n) {
        if (!final && i + 3 > n)
            break;
        const std::size_t len = jis::eucLength(p + i, p + n);
        if (len == 1 && final && cutByTheEnd(p, i, n, 3)) {
            // a character the end of the file cut counts for neither reading
        } else if (len == 1 || jis::eucChar(p + i, len) == jis::kInvalid) {
            score -= 32;
        } else {
            const unsigned char b = p[i];
            score += b == 0x8E || b == 0xA1 || b == 0xA4 || b == 0xA5 ? 8 : 4;
        }
        i += len;
    }
    return i;
}

// Scores p[i, n) read as code page 932, the same way.
std::size_t scoreCp932(const unsigned char* p, std::size_t i, std::size_t n, bool final,
                       std::int64_t& score) {
    const char* c = reinterpret_cast<const char*>(p);
    while ((i = skipAscii(p, i, n)) < n) {
        if (!final && i + 2 > n)
            break;
        const std::size_t len = cp932::unitLength(c + i, c + n);
        const unsigned char b = p[i];
        if (len == 1 && final && i + 1 == n && cp932::isLeadByte(b)) {
            // cut by the end of the file
        } else if (cp932::decodeUnit(c + i, len) == cp932::kInvalid) {
            score -= 32;
        } else if (len == 1) {
            score += 1; // half-width katakana
        } else {
            const unsigned char t = p[i + 1];
            const bool kana = (b == 0x82 && t >= 0x9F && t <= 0xF1) || (b == 0x83 && t <= 0x96) ||
                              (b == 0x81 && t <= 0xAC);
            score += kana ? 8 : 4;
        }
        i += len;
    }
    return i;
}

} // namespace

void EncodingCensus::begin(std::size_t start, std::size_t expectedSize) {
    utf8_.begin(start, expectedSize);
    scores_ = {};
    eucPos_ = cp932Pos_ = escapePos_ = start;
    jisEscape_ = false;
}

void EncodingCensus::run(const char* data, std::size_t size, bool final) {
    final ? utf8_.finish(data, size) : utf8_.feed(data, size);
    if (!jisEscape_ && !highBytesSeen() && escapePos_ < size) {
        jisEscape_ = jis::hasJisEscape(data + escapePos_, size - escapePos_);
        // An escape sequence cut by the end is looked for again with the next piece.
        escapePos_ = std::max(escapePos_, size - std::min<std::size_t>(size, 2));
    }
    // EUC-JP or code page 932 matters only once UTF-8 is ruled out.
    if (!(final ? !utf8_.looksLikeUtf8() : utf8_.ruledOut()))
        return;
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    while (std::max(scores_.eucJp - scores_.cp932, scores_.cp932 - scores_.eucJp) < kDecisiveLead &&
           std::min(eucPos_, cp932Pos_) < size) {
        const std::size_t to = std::min(size, std::min(eucPos_, cp932Pos_) + kChunk);
        const bool last = final && to == size;
        const std::size_t euc = scoreEucJp(p, eucPos_, to, last, scores_.eucJp);
        const std::size_t sjis = scoreCp932(p, cp932Pos_, to, last, scores_.cp932);
        if (euc == eucPos_ && sjis == cp932Pos_)
            break; // both wait for the next piece
        eucPos_ = euc, cp932Pos_ = sjis;
    }
}

TextEncoding EncodingCensus::decide(LineEndStyle style) const {
    if (!highBytesSeen() && !utf8_.ruledOut())
        return jisEscape_                  ? TextEncoding::Iso2022Jp
               : style == LineEndStyle::Lf ? TextEncoding::Utf8
                                           : TextEncoding::Cp932;
    if (utf8_.looksLikeUtf8())
        return TextEncoding::Utf8;
    return scores_.eucJp > scores_.cp932 ? TextEncoding::EucJp : TextEncoding::Cp932;
}
