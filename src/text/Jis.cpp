#include "Jis.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace jis {
namespace {

#include "jis_tables.inc"

// ASCII, and the C1 controls but the two single shifts.
bool isSingle(unsigned char b) {
    return b < 0x8E || (b >= 0x90 && b <= 0x9F);
}

// Forms packed as up to three bytes (first in the low byte) and the length in the top byte.
struct Reverse {
    std::vector<std::uint32_t> form = std::vector<std::uint32_t>(0x10000, 0);
    std::vector<bool> several = std::vector<bool>(0x10000, false);
    Reverse() {
        for (unsigned b = 0; b < 0xA0; ++b)
            if (isSingle(static_cast<unsigned char>(b)))
                add(char16_t(b), b | 1u << 24);
        for (unsigned r = 0; r < 94; ++r)
            for (unsigned c = 0; c < 94; ++c)
                add(kJis0208[r][c], (0xA1 + r) | (0xA1 + c) << 8 | 2u << 24);
        for (unsigned k = 0xA1; k <= 0xDF; ++k)
            add(char16_t(0xFF61 + k - 0xA1), 0x8E | k << 8 | 2u << 24);
        for (unsigned r = 0; r < 94; ++r)
            for (unsigned c = 0; c < 94; ++c)
                add(kJis0212[r][c], 0x8F | (0xA1 + r) << 8 | (0xA1 + c) << 16 | 3u << 24);
    }
    void add(char16_t ch, std::uint32_t f) {
        if (ch == kInvalid)
            return;
        if (form[ch] != 0)
            several[ch] = true;
        else
            form[ch] = f;
    }
};

const Reverse& reverse() {
    static const Reverse r;
    return r;
}

bool inJis0208(char16_t c) {
    const std::uint32_t f = reverse().form[c];
    return (f >> 24) == 1 || ((f >> 24) == 2 && (f & 0xFF) != 0x8E);
}

enum class Set { Ascii, Roman, Jis0208 };

} // namespace

char16_t eucChar(const unsigned char* p, std::size_t length) {
    if (length == 1)
        return isSingle(p[0]) ? char16_t(p[0]) : kInvalid;
    if (length == 2)
        return p[0] == 0x8E ? char16_t(0xFF61 + p[1] - 0xA1) : kJis0208[p[0] - 0xA1][p[1] - 0xA1];
    return kJis0212[p[1] - 0xA1][p[2] - 0xA1];
}

QString decodeEucJp(const char* data, std::size_t size, std::size_t maxUnits) {
    QString out;
    out.reserve(qsizetype(std::min(size, maxUnits)));
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    for (std::size_t n = 0; p < end && n < maxUnits; ++n) {
        const std::size_t len = eucLength(p, end);
        out.append(QChar(eucChar(p, len)));
        p += len;
    }
    return out;
}

QString decodeIso2022Jp(const char* data, std::size_t size, std::size_t maxUnits) {
    QString out;
    out.reserve(qsizetype(std::min(size, maxUnits)));
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    Set set = Set::Ascii;
    while (p < end && std::size_t(out.size()) < maxUnits) {
        const unsigned char b = *p;
        if (b == 0x1B && end - p >= 3) {
            if (p[1] == '(' && (p[2] == 'B' || p[2] == 'J')) {
                set = p[2] == 'B' ? Set::Ascii : Set::Roman;
                p += 3;
                continue;
            }
            if (p[1] == '$' && (p[2] == 'B' || p[2] == '@')) {
                set = Set::Jis0208;
                p += 3;
                continue;
            }
        }
        // An escape that switches to nothing known is a character like any control.
        if (b >= 0x80) {
            out.append(QChar(kInvalid));
        } else if (set == Set::Jis0208 && b > 0x20 && b < 0x7F) {
            if (p + 1 < end && p[1] > 0x20 && p[1] < 0x7F) {
                out.append(QChar(kJis0208[b - 0x21][p[1] - 0x21]));
                ++p;
            } else {
                out.append(QChar(kInvalid));
            }
        } else if (set == Set::Roman && (b == 0x5C || b == 0x7E)) {
            out.append(QChar(b == 0x5C ? char16_t(0x00A5) : char16_t(0x203E)));
        } else {
            out.append(QChar(char16_t(b)));
        }
        ++p;
    }
    if (std::size_t(out.size()) > maxUnits)
        out.truncate(qsizetype(maxUnits));
    return out;
}

int eucForm(char16_t c, unsigned char out[3], bool* several) {
    const Reverse& r = reverse();
    const std::uint32_t f = r.form[c];
    if (several)
        *several = r.several[c];
    const int n = int(f >> 24);
    for (int i = 0; i < n; ++i)
        out[i] = static_cast<unsigned char>(f >> (8 * i));
    return n;
}

QString toJisVariants(QStringView text, bool iso2022) {
    QString out = text.toString();
    for (QChar& ch : out) {
        const char16_t c = ch.unicode();
        if (iso2022 ? inJis0208(c) : reverse().form[c] != 0)
            continue;
        char16_t twin = c;
        switch (c) {
        case 0xFF5E:
            twin = 0x301C;
            break; // FULLWIDTH TILDE: WAVE DASH
        case 0xFF0D:
            twin = 0x2212;
            break; // FULLWIDTH HYPHEN-MINUS: MINUS SIGN
        case 0x2225:
            twin = 0x2016;
            break; // PARALLEL TO: DOUBLE VERTICAL LINE
        case 0x2014:
            twin = 0x2015;
            break; // EM DASH: HORIZONTAL BAR
        case 0xFFE0:
            twin = 0x00A2;
            break; // FULLWIDTH CENT SIGN
        case 0xFFE1:
            twin = 0x00A3;
            break; // FULLWIDTH POUND SIGN
        case 0xFFE2:
            twin = 0x00AC;
            break; // FULLWIDTH NOT SIGN
        default:
            break;
        }
        ch = QChar(twin);
    }
    return out;
}

std::optional<QByteArray> encodeEucJp(QStringView text, qsizetype* badIndex) {
    QByteArray out;
    out.reserve(text.size() * 2);
    unsigned char form[3];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int n = eucForm(text[i].unicode(), form);
        if (n == 0) {
            if (badIndex)
                *badIndex = i;
            return std::nullopt;
        }
        out.append(reinterpret_cast<const char*>(form), n);
    }
    return out;
}

std::optional<QByteArray> encodeIso2022Jp(QStringView text, qsizetype* badIndex) {
    QByteArray out;
    out.reserve(text.size() * 2 + 6);
    bool wide = false;
    unsigned char form[3];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!inJis0208(c)) {
            if (badIndex)
                *badIndex = i;
            return std::nullopt;
        }
        const int n = eucForm(c, form);
        if ((n == 2) != wide) {
            wide = n == 2;
            out.append(wide ? "\x1b$B" : "\x1b(B", 3);
        }
        if (wide) {
            out.append(char(form[0] & 0x7F));
            out.append(char(form[1] & 0x7F));
        } else {
            out.append(char(form[0]));
        }
    }
    if (wide)
        out.append("\x1b(B", 3);
    return out;
}

bool hasJisEscape(const char* data, std::size_t size) {
    const char* p = data;
    const char* end = data + size;
    while (end - p >= 3) {
        const void* hit = std::memchr(p, 0x1B, std::size_t(end - p - 2));
        if (!hit)
            return false;
        p = static_cast<const char*>(hit);
        if ((p[1] == '$' && (p[2] == 'B' || p[2] == '@')) || (p[1] == '(' && p[2] == 'J'))
            return true;
        ++p;
    }
    return false;
}

} // namespace jis
