#include "Cp932.h"

#include <array>
#include <iconv.h>
#include <memory>
#include <vector>

namespace cp932 {
namespace {

// Tables built once from the system's converter. The reverse table keeps up to three forms
// per character, in order of preference: JIS X 0208, NEC row 13, IBM, NEC-selected IBM.
struct Tables {
    std::array<char16_t, 256> single{};
    std::vector<char16_t> pair = std::vector<char16_t>(256 * 256, kInvalid);
    std::vector<std::array<Form, 3>> forms = std::vector<std::array<Form, 3>>(0x10000);
    std::vector<unsigned char> formCount = std::vector<unsigned char>(0x10000, 0);

    Tables() {
        single.fill(kInvalid);
        iconv_t cd = iconv_open("UTF-16LE", "CP932");
        auto convert = [&](const char* in, std::size_t n) -> char16_t {
            if (cd == iconv_t(-1))
                return kInvalid;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            char buf[8];
            char* inp = const_cast<char*>(in);
            char* outp = buf;
            std::size_t inLeft = n, outLeft = sizeof buf;
            if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == std::size_t(-1) || inLeft != 0 ||
                sizeof buf - outLeft != 2)
                return kInvalid;
            return char16_t(static_cast<unsigned char>(buf[0]) |
                            (static_cast<unsigned char>(buf[1]) << 8));
        };
        for (int b = 0; b < 256; ++b) {
            if (isLeadByte(b) || b == 0x80 || b == 0xA0 || b >= 0xFD)
                continue;
            char c = char(b);
            single[b] = convert(&c, 1);
            if (single[b] != kInvalid)
                addForm(single[b], {{static_cast<unsigned char>(b), 0}, 1});
        }
        auto addPairs = [&](int leadFrom, int leadTo) {
            for (int lead = leadFrom; lead <= leadTo; ++lead)
                for (int trail = 0x40; trail <= 0xFC; ++trail) {
                    if (!isTrailByte(trail))
                        continue;
                    const char in[2] = {char(lead), char(trail)};
                    char16_t c = convert(in, 2);
                    pair[lead * 256 + trail] = c;
                    if (c != kInvalid)
                        addForm(c, {{static_cast<unsigned char>(lead),
                                     static_cast<unsigned char>(trail)},
                                    2});
                }
        };
        addPairs(0x81, 0x86);
        addPairs(0x88, 0x9F);
        addPairs(0xE0, 0xEA);
        addPairs(0x87, 0x87);
        addPairs(0xFA, 0xFC);
        addPairs(0xEB, 0xF9);
        if (cd != iconv_t(-1))
            iconv_close(cd);
    }

    void addForm(char16_t c, Form f) {
        unsigned char& n = formCount[c];
        if (n < 3)
            forms[c][n++] = f;
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

} // namespace

char16_t decodeUnit(const char* p, std::size_t length) {
    const Tables& t = tables();
    const auto b0 = static_cast<unsigned char>(p[0]);
    if (length == 1)
        return isLeadByte(b0) ? kInvalid : t.single[b0];
    return t.pair[b0 * 256 + static_cast<unsigned char>(p[1])];
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

int formsOf(char16_t c, Form out[3]) {
    const Tables& t = tables();
    int n = t.formCount[c];
    for (int i = 0; i < n; ++i)
        out[i] = t.forms[c][i];
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
