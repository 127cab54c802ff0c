#include "Cp932.h"

#include <array>
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

char* toUtf8(const char* data, std::size_t size, char* out) {
    const char* p = data;
    const char* end = data + size;
    while (p < end) {
        if (static_cast<unsigned char>(*p) < 0x80) { // ASCII is itself
            *out++ = *p++;
            continue;
        }
        const std::size_t len = unitLength(p, end);
        const char16_t c = decodeUnit(p, len);
        p += len;
        if (c < 0x80) {
            *out++ = char(c);
        } else if (c < 0x800) {
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
        } else {
            *out++ = char(0xE0 | (c >> 12));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        }
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

} // namespace cp932
