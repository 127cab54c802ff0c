// Typed text into every encoding and back, the line ends and the status bar's names.
#include "text/Jis.h"
#include "text/TextFormat.h"

#include <gtest/gtest.h>

namespace {

using enum TextEncoding;

// Each encoding writes what it can hold and reads it back; the input-method variants become
// the characters the encoding has, and a character it lacks is reported where it stands.
TEST(Encodings, TypedTextIsEncodedAndReadBack) {
    struct Case {
        TextEncoding encoding;
        QString typed;
        QByteArray bytes; // empty: not encodable
        QString read;     // what the bytes read as
        qsizetype bad = -1;
    } cases[] = {
        {EucJp, u"接続ｱ～"_qs, "\xc0\xdc\xc2\xb3\x8e\xb1\x8f\xa2\xb7", u"接続ｱ～"_qs},
        {EucJp, u"9:00\u301C\u2212\uFF0D"_qs, "9:00\xa1\xc1\xa1\xdd\xa1\xdd",
         u"9:00\u301C\u2212\u2212"_qs},
        {EucJp, u"a한"_qs, {}, {}, 1},
        {Iso2022Jp, u"a接続b"_qs, "a\x1b$B@\\B3\x1b(Bb", u"a接続b"_qs},
        {Iso2022Jp, u"～"_qs, "\x1b$B!A\x1b(B", u"\u301C"_qs},
        {Iso2022Jp, u"xｱ"_qs, {}, {}, 1},
        {Utf16Le, u"」😀"_qs, QByteArray("\x0d\x30\x3d\xd8\x00\xde", 6), u"」😀"_qs},
        {Utf16Be, u"」"_qs, QByteArray("\x30\x0d", 2), u"」"_qs},
        {Cp932, u"9:00\u301C"_qs, "9:00\x81\x60", u"9:00\uFF5E"_qs},
    };
    for (const Case& c : cases) {
        qsizetype bad = -1;
        const auto bytes = encodeText(c.encoding, c.typed, &bad);
        const std::string name = c.typed.toStdString();
        EXPECT_EQ(bytes.value_or(QByteArray()), c.bytes) << name;
        EXPECT_EQ(bad, c.bad) << name;
        if (bytes) {
            EXPECT_EQ(decodeText(c.encoding, bytes->data(), std::size_t(bytes->size())), c.read)
                << name;
        }
    }
}

// Bytes no character takes read as U+FFFD, one per byte (C1 controls pass in EUC-JP, as iconv
// reads them); an unknown escape is an ordinary character; at most maxUnits come back.
TEST(Encodings, DamagedBytesReadAsReplacements) {
    struct Case {
        TextEncoding encoding;
        QByteArray bytes;
        QString read;
        std::size_t maxUnits = std::size_t(-1);
    } cases[] = {
        {EucJp, "\xa4\x41\x8e\xe0\xff\x85", u"\uFFFDA\uFFFD\uFFFD\uFFFD\u0085"_qs},
        {EucJp, "\xa9\xa1\xa4\xa2", u"\uFFFDあ"_qs}, // a pair JIS X 0208 leaves empty
        {EucJp, "\xa4\xa2\xa4\xa4\xa4\xa6", u"あい"_qs, 2},
        {Iso2022Jp, "\x1b$B$\"$\x1b(Bx\x1b(Iy\xa1", u"あ\uFFFDx\x1b(Iy\uFFFD"_qs},
        {Iso2022Jp, "\x1b(J\\~", u"\u00A5\u203E"_qs},
        {Utf16Le, QByteArray("\x00\xd8\x41\x00\x00\xdc\x42", 7), u"\uFFFDA\uFFFD\uFFFD"_qs},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodeText(c.encoding, c.bytes.data(), std::size_t(c.bytes.size()), c.maxUnits),
                  c.read)
            << c.bytes.toHex().constData();
}

TEST(Encodings, LineEndsAndNamesFollowTheFormat) {
    using enum LineEndStyle;
    struct Case {
        TextFormat format;
        QByteArray terminator;
        const char* name;
    } cases[] = {
        {{Cr, Cp932}, "\r\n", "シフトJIS CRLF"},
        {{Lf, Utf8}, "\n", "UTF-8 LF"},
        {{Lf, EucJp}, "\n", "EUC-JP LF"},
        {{Cr, Iso2022Jp}, "\r\n", "JIS CRLF"},
        {{Cr, Utf16Le}, QByteArray("\r\0\n\0", 4), "UTF-16LE CRLF"},
        {{Lf, Utf16Be}, QByteArray("\0\n", 2), "UTF-16BE LF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lineTerminator(c.format).toByteArray(), c.terminator) << c.name;
        EXPECT_EQ(formatName(c.format), QString::fromUtf8(c.name));
    }
}

} // namespace
