#include "search/StrSearch.h"
#include "document/LineStore.h"
#include "support/DocumentRows.h"
#include "support/FakeDesktop.h"
#include "support/TempDir.h"
#include "text/Cp932.h"

#include <gtest/gtest.h>
#include <random>

namespace {

using Rows = std::vector<std::size_t>;

// Reference: the rows whose decoded text contains the needle.
Rows decodedReference(const LineStore& s, const QString& needle) {
    Rows out;
    for (std::size_t i = 0; i < s.rowCount(); ++i) {
        const QString t = s.rowText(i);
        if (!t.isEmpty() && t.contains(needle))
            out.push_back(i);
    }
    return out;
}

TEST(StrSearch, FindsTheRowsADecodedTextSearchFinds) {
    const QByteArray text = "abc\r\nxabcx\r\nABC\r\n\r\n" +         // 0-3
                            sjis("ソ表示") + "\r\n" +               // 4: 0x5C trail bytes
                            "a\\b\r\n" +                            // 5: a real backslash
                            QByteArray("\xed\x40", 2) + "\r\n" +    // 6: 纊 (NEC-selected)
                            QByteArray("\xfa\x5c", 2) + "\r\n" +    // 7: 纊 (IBM)
                            QByteArray("\x87\x90", 2) + "x\r\n" +   // 8: ≒ (NEC row 13)
                            QByteArray("\x81\xe0", 2) + "\r\n" +    // 9: ≒ (JIS)
                            QByteArray("\x80\xff", 2) + "\r\n" +    // 10: invalid bytes
                            sjis("ｱｲｳ アイウ あいう") + "\r\n" +    // 11
                            QByteArray("\x83\x83\x5c", 3) + "\r\n"; // 12: ャ then '\'
    struct Case {
        QString needle;
        Rows rows;
    } cases[] = {
        {"abc", {0, 1}},
        {"\\", {5, 12}}, // never inside ソ or 表
        {QStringLiteral("ソ"), {4}},
        {QStringLiteral("纊"), {6, 7}},
        {QStringLiteral("≒"), {8, 9}},
        {QStringLiteral("≒x"), {8}},
        {QStringLiteral("ア"), {11}},
        {QStringLiteral("ｱ"), {11}},
        {QString(QChar(0xFFFD)), {10}},
        {QStringLiteral("é"), {}},
        {QStringLiteral("\x5c"
                        "b"),
         {5}},
        {QStringLiteral("c\r\nx"), {}}, // never across rows
    };
    for (const Case& c : cases) {
        LineStore rows;
        ASSERT_TRUE(readBytes(rows, text));
        EXPECT_EQ(StrSearch(c.needle, rows), c.rows.size()) << c.needle.toStdString();
        EXPECT_EQ(selectedRows(rows), c.rows) << c.needle.toStdString();
        EXPECT_EQ(decodedReference(rows, c.needle), c.rows) << c.needle.toStdString();
    }
}

TEST(StrSearch, AddsToTheSelectionAndNeverSelectsEmptyRows) {
    LineStore rows;
    ASSERT_TRUE(readBytes(rows, "abc\r\nxabcx\r\nABC\r\n\r\n"));
    rows.setSelected(2, true);
    StrSearch(QStringLiteral("abc"), rows);
    EXPECT_EQ(selectedRows(rows), (Rows{0, 1, 2}));
    StrSearch(QString(), rows); // every non-empty row
    EXPECT_EQ(selectedRows(rows), (Rows{0, 1, 2}));
    LineStore none;
    EXPECT_EQ(StrSearch(QStringLiteral("x"), none), 0u);
    EXPECT_EQ(StrSearch(QString(), none), 0u);
}

// Rows of characters whose bytes are easily misread: trail bytes that are also lead bytes or
// backslashes, long runs of lead-range bytes, characters with several encodings, lone lead
// bytes and bytes the code page does not map.
TEST(StrSearch, RandomRowsOfConfusableBytesMatchTheReference) {
    const QByteArray units[] = {
        QByteArray("\x88\x81"), QByteArray("\x81\x81"), QByteArray("\x83\x5c"),
        QByteArray("\\"),       QByteArray("a"),        QByteArray("\xfa\x5c"),
        QByteArray("\xed\x40"), QByteArray("\x87\x90"), QByteArray("\x81\xe0"),
        QByteArray("\x88"),     QByteArray("\x80"),     QByteArray("\xe0\xe0")};
    std::mt19937 random(7);
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    QByteArray text;
    for (int row = 0; row < 400; ++row) {
        for (int n = pick(40); n > 0; --n)
            text += units[pick(std::size(units))];
        text += "\r\n";
    }
    LineStore rows;
    ASSERT_TRUE(readBytes(rows, text));
    for (int i = 0; i < 300; ++i) {
        QByteArray needleBytes;
        for (int n = 1 + pick(3); n > 0; --n)
            needleBytes += units[pick(std::size(units))];
        const QString needle = cp932::decode(needleBytes);
        rows.clearSelection();
        StrSearch(needle, rows);
        ASSERT_EQ(selectedRows(rows), decodedReference(rows, needle)) << needleBytes.toHex().data();
    }
}

// A search string typed through an input method finds the characters the file holds.
TEST(StrSearch, InputMethodVariantsFindTheCodePageCharacters) {
    const QByteArray text = "9:00\x81\x60"
                            "18:00\r\n" // 0: 〜 as the code page has it
                            "\x81\x7c"
                            "5\r\n"                        // 1: －
                            "\x81\x61\r\n"                 // 2: ∥
                            "\x81\x5c\r\n"                 // 3: ―
                            "\x81\x91\x81\x92\x81\xca\r\n" // 4: ￠ ￡ ￢
                            "plain\r\n";
    struct Case {
        QString typed;
        Rows rows;
    } cases[] = {
        {QStringLiteral("9:00\u301C18:00"), {0}}, // WAVE DASH
        {QStringLiteral("\u2212"
                        "5"),
         {1}},                           // MINUS SIGN
        {QStringLiteral("\u2016"), {2}}, // DOUBLE VERTICAL LINE
        {QStringLiteral("\u2014"), {3}}, // EM DASH
        {QStringLiteral("\u00A2\u00A3\u00AC"), {4}},
        {QStringLiteral("\uFF5E"), {0}}, // what the list shows finds it too
        {QStringLiteral("\u20AC"), {}},  // no form at all
    };
    for (const Case& c : cases) {
        LineStore rows;
        ASSERT_TRUE(readBytes(rows, text));
        EXPECT_EQ(StrSearch(c.typed, rows), c.rows.size()) << c.typed.toStdString();
        EXPECT_EQ(selectedRows(rows), c.rows) << c.typed.toStdString();
    }
}

// In a UTF-8 document code points compare exactly; the byte order mark is never part of a row.
TEST(StrSearch, Utf8DocumentsAreSearchedByCodePoints) {
    const QByteArray text = "\xef\xbb\xbf"
                            "接続 OK\n"              // 0
                            "ERROR 接続できません\n" // 1
                            "\n"                     // 2
                            "9:00\xe3\x80\x9c"
                            "18:00\n" // 3: WAVE DASH as typed
                            "9:00\xef\xbd\x9e"
                            "18:00\n"         // 4: FULLWIDTH TILDE
                            "bad \xff byte\n" // 5
                            "続\r接\n";       // 6: a lone CR stays in the row
    struct Case {
        QString needle;
        Rows rows;
    } cases[] = {
        {QStringLiteral("接続"), {0, 1}},    {QStringLiteral("ERROR"), {1}},
        {QStringLiteral("o"), {}},           {QString(), {0, 1, 3, 4, 5, 6}}, // every non-empty row
        {QStringLiteral("\u301C"), {3}},     {QStringLiteral("\uFF5E"), {4}},
        {QStringLiteral("\uFEFF"), {}}, // the byte order mark
        {QStringLiteral("\uFEFF接続"), {}},  {QStringLiteral("続接"), {}},
        {QStringLiteral("OK接続"), {}}, // never across rows
        {QStringLiteral("できません"), {1}},
    };
    for (const Case& c : cases) {
        LineStore rows;
        ASSERT_TRUE(readBytes(rows, text));
        ASSERT_EQ(rows.format().encoding, TextEncoding::Utf8);
        EXPECT_EQ(StrSearch(c.needle, rows), c.rows.size()) << c.needle.toStdString();
        EXPECT_EQ(selectedRows(rows), c.rows) << c.needle.toStdString();
    }
}

// A search stopped partway selects nothing: the selection is the one before it, in either
// encoding and whichever way the needle is searched.
TEST(StrSearch, AStoppedSearchLeavesTheSelectionAsItWas) {
    QByteArray cp932Text, utf8Text;
    for (int i = 0; i < 60000; ++i) {
        const QByteArray tail = i % 7 ? " 接続 ERROR" : " ok";
        cp932Text +=
            "row " + QByteArray::number(i) + *cp932::encode(QString::fromUtf8(tail)) + "\r\n";
        utf8Text += "row " + QByteArray::number(i) + tail + "\n";
    }
    for (const QByteArray& text : {cp932Text, utf8Text}) {
        LineStore rows;
        ASSERT_TRUE(readBytes(rows, text));
        for (const QString& needle : {QStringLiteral("ERROR"), QStringLiteral("接続"),
                                      QStringLiteral("纊"), QStringLiteral("\u301C"), QString()}) {
            rows.clearSelection();
            rows.setSelected(3, true);
            rows.setSelected(50000, true);
            CancellingProgress stopAtOnce(1); // the first report goes on, the second stops
            EXPECT_EQ(StrSearch(needle, rows, &stopAtOnce), 0u) << needle.toStdString();
            EXPECT_EQ(selectedRows(rows), (Rows{3, 50000})) << needle.toStdString();

            rows.clearSelection();
            CancellingProgress never(-1);
            const std::size_t found = StrSearch(needle, rows, &never);
            const Rows withProgress = selectedRows(rows);
            rows.clearSelection();
            EXPECT_EQ(StrSearch(needle, rows), found);
            EXPECT_EQ(selectedRows(rows), withProgress);
        }
    }
}

} // namespace
