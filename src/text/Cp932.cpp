#include "Cp932.h"

#include "system/FileIO.h"

#include <QStringList>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace cp932 {
namespace {

#include "cp932_tables.inc"

// The bytes of each character, built on first use from the decoding table: up to three forms
// per character, in order of preference: JIS X 0208, NEC row 13, IBM, NEC-selected IBM.
struct Reverse {
    std::vector<std::array<Form, 3>> forms = std::vector<std::array<Form, 3>>(0x10000);
    std::vector<unsigned char> formCount = std::vector<unsigned char>(0x10000, 0);

    Reverse() {
        for (int b = 0; b < 256; ++b)
            if (kSingle[b] != kInvalid)
                addForm(kSingle[b], {{static_cast<unsigned char>(b), 0}, 1});
        auto addPairs = [&](int leadFrom, int leadTo) {
            for (int lead = leadFrom; lead <= leadTo; ++lead)
                for (int trail = 0; trail < 256; ++trail)
                    if (const char16_t c = kPair[lead - 0x80][trail]; c != kInvalid)
                        addForm(c, {{static_cast<unsigned char>(lead),
                                     static_cast<unsigned char>(trail)},
                                    2});
        };
        addPairs(0x81, 0x86);
        addPairs(0x88, 0x9F);
        addPairs(0xE0, 0xEA);
        addPairs(0x87, 0x87);
        addPairs(0xFA, 0xFC);
        addPairs(0xEB, 0xF9);
    }

    void addForm(char16_t c, Form f) {
        unsigned char& n = formCount[c];
        if (n < 3)
            forms[c][n++] = f;
    }
};

const Reverse& reverse() {
    static const Reverse r;
    return r;
}

} // namespace

char16_t decodeUnit(const char* p, std::size_t length) {
    const auto b0 = static_cast<unsigned char>(p[0]);
    if (length == 1)
        return kSingle[b0];
    return b0 < 0x80 ? kInvalid : kPair[b0 - 0x80][static_cast<unsigned char>(p[1])];
}

QString decode(const char* data, std::size_t size, std::size_t maxUnits) {
    QString out;
    out.reserve(qsizetype(std::min(size, maxUnits)));
    const char* p = data;
    const char* end = data + size;
    for (std::size_t n = 0; p < end && n < maxUnits; ++n) {
        std::size_t len = unitLength(p, end);
        out.append(QChar(decodeUnit(p, len)));
        p += len;
    }
    return out;
}

namespace {

// Every unit's text as UTF-8, ready to write: up to three bytes in the low bytes, the count in
// the top one.
struct Utf8Units {
    std::array<std::uint32_t, 256> single{};
    std::vector<std::uint32_t> pair = std::vector<std::uint32_t>(128 * 256);

    static std::uint32_t encode(char16_t c) {
        if (c < 0x80)
            return c | 1u << 24;
        if (c < 0x800)
            return (0xC0u | c >> 6) | (0x80u | (c & 0x3F)) << 8 | 2u << 24;
        return (0xE0u | c >> 12) | (0x80u | ((c >> 6) & 0x3F)) << 8 | (0x80u | (c & 0x3F)) << 16 |
               3u << 24;
    }
    Utf8Units() {
        for (int b = 0; b < 256; ++b)
            single[std::size_t(b)] = encode(kSingle[b]);
        for (int lead = 0; lead < 128; ++lead)
            for (int trail = 0; trail < 256; ++trail)
                pair[std::size_t(lead * 256 + trail)] = encode(kPair[lead][trail]);
    }
};

const Utf8Units& utf8Units() {
    static const Utf8Units u;
    return u;
}

} // namespace

char* toUtf8(const char* data, std::size_t size, char* out) {
    static_assert(std::endian::native == std::endian::little, "units are written low byte first");
    const Utf8Units& u = utf8Units();
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    while (p < end) {
        // ASCII is itself: eight bytes at a time while they are.
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080u)
                break;
            std::memcpy(out, p, 8);
            out += 8;
            p += 8;
        }
        if (p == end)
            break;
        const unsigned char b = *p;
        std::uint32_t unit;
        if (b < 0x80) {
            unit = b | 1u << 24;
            p += 1;
        } else if (isLeadByte(b) && p + 1 < end && isTrailByte(p[1])) {
            unit = u.pair[std::size_t((b - 0x80) * 256 + p[1])];
            p += 2;
        } else {
            unit = u.single[b];
            p += 1;
        }
        std::memcpy(out, &unit, 4); // room for four: the fourth is overwritten next
        out += unit >> 24;
    }
    return out;
}

int formsOf(char16_t c, Form out[3]) {
    const Reverse& r = reverse();
    int n = r.formCount[c];
    for (int i = 0; i < n; ++i)
        out[i] = r.forms[c][i];
    return n;
}

QString toCp932Variants(QStringView text) {
    QString out = text.toString();
    for (QChar& ch : out) {
        switch (ch.unicode()) {
        case 0x301C:
            ch = QChar(0xFF5E);
            break; // WAVE DASH
        case 0x2212:
            ch = QChar(0xFF0D);
            break; // MINUS SIGN
        case 0x2016:
            ch = QChar(0x2225);
            break; // DOUBLE VERTICAL LINE
        case 0x2014:
            ch = QChar(0x2015);
            break; // EM DASH
        case 0x00A2:
            ch = QChar(0xFFE0);
            break; // CENT SIGN
        case 0x00A3:
            ch = QChar(0xFFE1);
            break; // POUND SIGN
        case 0x00AC:
            ch = QChar(0xFFE2);
            break; // NOT SIGN
        default:
            break;
        }
    }
    return out;
}

std::optional<QByteArray> encode(QStringView text, qsizetype* badIndex) {
    QByteArray out;
    out.reserve(text.size() * 2);
    Form forms[3];
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (formsOf(text[i].unicode(), forms) == 0) {
            if (badIndex)
                *badIndex = i;
            return std::nullopt;
        }
        out.append(reinterpret_cast<const char*>(forms[0].bytes), forms[0].length);
    }
    return out;
}

QByteArray encodeLossy(QStringView text) {
    QByteArray out;
    Form forms[3];
    for (QChar ch : text) {
        if (formsOf(ch.unicode(), forms) == 0)
            out.append('?');
        else
            out.append(reinterpret_cast<const char*>(forms[0].bytes), forms[0].length);
    }
    return out;
}

QString fileNameText(const QString& name) {
    QStringList parts = name.split(QLatin1Char('/'));
    for (QString& part : parts) {
        const QByteArray bytes = fileNameBytes(part);
        if (fileNameFromBytes(bytes) == QString::fromUtf8(bytes))
            continue; // UTF-8
        const QString text = decode(bytes);
        part = text.contains(QChar(kInvalid)) ? QString::fromUtf8(bytes) : text;
    }
    return parts.join(QLatin1Char('/'));
}

} // namespace cp932
