#include "text/Cp932.h"

#include <gtest/gtest.h>
#include <random>

namespace {

TEST(Cp932, DecodesUnitsAsTheUserSeesCharacters) {
    struct Case {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"abc\\~", QStringLiteral("abc\\~")},
        {"\x83\x5c", QStringLiteral("ソ")}, // 0x5C as a trail byte
        {"\x95\x5c\x8e\xa6", QStringLiteral("表示")},
        {"\xb1\xdd", QStringLiteral("ｱﾝ")},                 // half-width katakana
        {"\x81\x60", QString(QChar(0xFF5E))},               // wave dash as code page 932 has it
        {"\xed\x40\xfa\x5c", QStringLiteral("纊纊")},       // one character, two encodings
        {"\x80\xa0\xfd", QString(3, QChar(0xFFFD))},        // bytes that map to nothing
        {"a\x83", QStringLiteral("a") + QChar(0xFFFD)},     // lead byte at the end
        {"\x83\x0d", QString(QChar(0xFFFD)) + QChar(0x0D)}, // lead byte before a CR
    };
    for (const Case& c : cases)
        EXPECT_EQ(cp932::decode(c.bytes), c.text) << c.bytes.toHex().constData();
}

TEST(Cp932, CharactersWithSeveralEncodingsListThemAll) {
    cp932::Form forms[3];
    ASSERT_EQ(cp932::formsOf(0x7E8A, forms), 2);
    EXPECT_EQ(forms[0].bytes[0], 0xFA); // the IBM form is preferred when writing
    EXPECT_EQ(forms[1].bytes[0], 0xED);
    ASSERT_EQ(cp932::formsOf(0x2252, forms), 2);
    EXPECT_EQ(forms[0].bytes[0], 0x81);
    EXPECT_EQ(forms[1].bytes[0], 0x87);
    EXPECT_EQ(cp932::formsOf(0xFFE2, forms), 3);
    EXPECT_EQ(cp932::formsOf(u'A', forms), 1);
    EXPECT_EQ(cp932::formsOf(0x00E9, forms), 0); // é has no form
}

TEST(Cp932, EncodeReportsTheFirstCharacterWithoutAForm) {
    qsizetype bad = -1;
    EXPECT_EQ(cp932::encode(QStringLiteral("日本語"), &bad),
              QByteArray("\x93\xfa\x96\x7b\x8c\xea"));
    EXPECT_FALSE(cp932::encode(QStringLiteral("ab😀"), &bad).has_value());
    EXPECT_EQ(bad, 2);
    EXPECT_EQ(cp932::encodeLossy(QStringLiteral("aé")), QByteArray("a?"));
}

// The direct conversion to UTF-8 gives the decoded text, whatever the bytes.
TEST(Cp932, ConvertsToUtf8AsItDecodes) {
    std::mt19937 random(5);
    const unsigned char interesting[] = {0x00, 0x41, 0x5C, 0x7E, 0x7F, 0x80, 0x81, 0x82,
                                         0x83, 0x87, 0x9F, 0xA0, 0xA1, 0xDF, 0xE0, 0xED,
                                         0xEF, 0xFA, 0xFC, 0xFD, 0xFF, 0x40, 0x60, 0xA6};
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        for (int n = int(random() % 40); n > 0; --n)
            bytes += char(random() % 2 ? interesting[random() % std::size(interesting)]
                                       : random() % 256);
        QByteArray out(bytes.size() * 3 + 1, Qt::Uninitialized);
        char* end = cp932::toUtf8(bytes.constData(), std::size_t(bytes.size()), out.data());
        out.truncate(end - out.constData());
        ASSERT_EQ(out, cp932::decode(bytes).toUtf8()) << bytes.toHex().constData();
    }
}

} // namespace
