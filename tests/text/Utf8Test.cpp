#include "text/Utf8.h"
#include "text/TextFormat.h"

#include <gtest/gtest.h>
#include <random>

namespace {

utf8::Counts count(const QByteArray& b) {
    utf8::Counts c;
    utf8::countSequences(reinterpret_cast<const unsigned char*>(b.constData()),
                         std::size_t(b.size()), true, c);
    return c;
}

TEST(Utf8, CountsSequencesAsADecoderReplacesThem) {
    struct Case {
        QByteArray bytes;
        std::uint64_t valid, invalid, cut = 0;
    } cases[] = {
        {"plain ascii", 0, 0},
        {"\xe6\x8e\xa5\xe7\xb6\x9a", 2, 0},         // 接続
        {"\xc2\x80\xdf\xbf", 2, 0},                 // U+0080, U+07FF
        {"\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf", 2, 0}, // U+1F600, U+10FFFF
        {"\xc0\xaf", 0, 2},                         // overlong: two replacements
        {"\xe0\x80\x80", 0, 3},                     // overlong three-byte form
        {"\xed\xa0\x80", 0, 3},                     // a surrogate
        {"\xf4\x90\x80\x80", 0, 4},                 // past U+10FFFF
        {"\xe6\x8e", 0, 0, 1},                      // cut by the end: one replacement
        {"\xe6\x8eX", 0, 1},                        // cut by ASCII
        {"\x82\xa0\x82\xa2\x83\x5c", 0, 5},         // code page 932 あい ソ
        {"\xe3\x81\x82\x82\xa0", 1, 2},             // あ, then a code page 932 あ
    };
    for (const Case& c : cases) {
        const utf8::Counts got = count(c.bytes);
        EXPECT_EQ(got.valid, c.valid) << c.bytes.toHex().constData();
        EXPECT_EQ(got.invalid, c.invalid) << c.bytes.toHex().constData();
        EXPECT_EQ(got.cut, c.cut) << c.bytes.toHex().constData();
    }
}

// Random text of every sequence length, with bytes knocked out of shape: the fast check agrees
// with the sequence count on whether it is well-formed, across block and tail boundaries.
TEST(Utf8, FastCheckAgreesWithTheCount) {
    std::mt19937 random(7);
    const char32_t points[] = {0x41,   0x7F,   0x80,   0x7FF,   0x800,   0x3042,  0xD7FF,
                               0xE000, 0xFFFD, 0xFFFF, 0x10000, 0x1F600, 0x10FFFF};
    const unsigned char bad[] = {0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1,
                                 0xC2, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    int malformed = 0;
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int chars = int(random() % 48);
        for (int i = 0; i < chars; ++i)
            text += QString::fromUcs4(&points[random() % std::size(points)], 1);
        QByteArray bytes = text.toUtf8();
        const int mutations = bytes.isEmpty() ? 0 : int(random() % 3);
        for (int m = 0; m < mutations; ++m)
            bytes[qsizetype(random() % std::size_t(bytes.size()))] =
                char(bad[random() % std::size(bad)]);
        if (random() % 4 == 0 && !bytes.isEmpty())
            bytes.chop(1);
        const bool expected = count(bytes).invalid == 0 && count(bytes).cut == 0;
        malformed += !expected;
        EXPECT_EQ(utf8::wellFormed(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                   std::size_t(bytes.size())),
                  expected)
            << bytes.toHex().constData();
    }
    EXPECT_GT(malformed, 1000);
}

// A file read in pieces of any size is counted as the whole would be, including a sequence
// cut between two pieces.
TEST(Utf8, CensusInPiecesCountsAsTheWhole) {
    std::mt19937 random(3);
    QByteArray text;
    while (text.size() < 300000) {
        text += QByteArrayLiteral("ログ 接続 ERROR ");
        if (random() % 50 == 0)
            text += char(0x82); // a stray byte
    }
    const utf8::Counts whole = count(text);
    for (const std::size_t piece : {std::size_t(1), std::size_t(2), std::size_t(4097),
                                    std::size_t(65536), std::size_t(text.size())}) {
        utf8::Census census;
        census.begin(0, 0);
        for (std::size_t got = piece; got < std::size_t(text.size()); got += piece)
            census.feed(text.constData(), got);
        census.finish(text.constData(), std::size_t(text.size()));
        EXPECT_EQ(census.counts().valid, whole.valid) << piece;
        EXPECT_EQ(census.counts().invalid, whole.invalid) << piece;
    }
}

TEST(TextFormat, DecodesAndEncodesByTheDocumentsEncoding) {
    const QByteArray utf8Row("\xe6\x8e\xa5\xe7\xb6\x9a\xff!");
    EXPECT_EQ(decodeText(TextEncoding::Utf8, utf8Row.constData(), std::size_t(utf8Row.size())),
              QStringLiteral("接続\uFFFD!"));
    EXPECT_EQ(decodeText(TextEncoding::Utf8, utf8Row.constData(), std::size_t(utf8Row.size()), 1),
              QStringLiteral("接"));
    EXPECT_EQ(decodeText(TextEncoding::Cp932, "\x90\xda", 2), QStringLiteral("接"));

    qsizetype bad = -1;
    QString mapped;
    EXPECT_EQ(encodeText(TextEncoding::Utf8, u"9:00\u301C한", &bad, &mapped),
              QByteArray("9:00\xe3\x80\x9c\xed\x95\x9c"));
    EXPECT_EQ(encodeText(TextEncoding::Cp932, u"9:00\u301C"), QByteArray("9:00\x81\x60"));
    EXPECT_FALSE(encodeText(TextEncoding::Cp932, u"a한", &bad, &mapped));
    EXPECT_EQ(bad, 1);
}

} // namespace
