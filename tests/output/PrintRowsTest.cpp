#include "output/PrintRows.h"
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "settings/IniSettings.h"
#include "support/FakePrinter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// Page 2000 twips, margins 100: a line holds characters while x < 2000 - next - 100.
TEST(PrintRow, WrapsCharacterByCharacterAtTheRightMargin) {
    struct Case {
        const char* name;
        QString text;
        QStringList lines;
    } cases[] = {
        {"fits", QStringLiteral("abcde"), {"abcde"}},
        // x after 17 chars = 1800 = 2000-100-100: the >= test wraps before the 18th.
        {"wraps at >=", QString(18, QLatin1Char('a')), {QString(17, 'a'), "a"}},
        // The last character ends at 1800 with next width 0: 1800 < 1900, no extra line.
        {"ends just inside", QString(17, QLatin1Char('a')), {QString(17, 'a')}},
        // Ends at 1900 >= 1900: the wrap test ends the line, then the row's own line end.
        {"empty row", QString(), {""}},
        {"wide characters", QStringLiteral("あいうえおかきくけ"), {"あいうえおかきく", "け"}},
        {"surrogate pair never split",
         QStringLiteral("aaaaaaaaaaaaaaa😀b"),
         {QStringLiteral("aaaaaaaaaaaaaaa😀"), "b"}},
    };
    for (const Case& c : cases) {
        FakePrinter p;
        ASSERT_TRUE(printRow(p, c.text, PrintMargins{}));
        EXPECT_EQ(p.line, c.lines) << c.name;
    }
}

TEST(PrintRow, ARowEndingWithinTheMarginGetsAnExtraEmptyLine) {
    FakePrinter p;
    p.wide = 1850; // one character from the left margin into the right one: ends at 1950
    ASSERT_TRUE(printRow(p, QStringLiteral("xあ"), PrintMargins{}));
    EXPECT_EQ(p.line, (QStringList{"x", "あ", ""}));
    FakePrinter q; // 8 wide and one narrow end at 1800 < 1900: no extra line
    ASSERT_TRUE(printRow(q, QString(8, QChar(0x3042)) + QStringLiteral("z"), PrintMargins{}));
    EXPECT_EQ(q.line, QStringList{QString(8, QChar(0x3042)) + QStringLiteral("z")});
}

TEST(PrintRow, TheFirstCharacterOfALineIsAlwaysDrawn) {
    FakePrinter p;
    p.page = 50; // narrower than any character
    ASSERT_TRUE(printRow(p, QStringLiteral("abc"), PrintMargins{}));
    EXPECT_EQ(p.line, (QStringList{"a", "b", "c", ""}));
}

TEST(PrintSelectedRows, PrintsSelectedRowsInIndexOrderAndKeepsTheSelection) {
    TempDir dir;
    LineStore rows;
    ASSERT_EQ(text_read(dir.write(QStringLiteral("r.txt"), "zero\r\none\r\n\r\nthree\r\n"), rows),
              0);
    rows.setSelected(3, true);
    rows.setSelected(0, true);
    rows.setSelected(2, true);
    FakePrinter p;
    ASSERT_TRUE(printSelectedRows(p, rows, PrintMargins{}));
    EXPECT_EQ(p.line, (QStringList{"zero", "", "three"}));
    EXPECT_EQ(rows.selectedCount(), 3u);
}

TEST(RunPrintCommand, SetsTheFontAndEjectsOnlyInPageMode1) {
    FakePrinter p;
    auto body = [&] { return printRow(p, QStringLiteral("x"), PrintMargins{}); };
    ASSERT_TRUE(runPrintCommand(p, QStringLiteral("Serif"), 12, 0, body));
    EXPECT_EQ(p.family, QStringLiteral("Serif"));
    EXPECT_EQ(p.points, 12);
    EXPECT_TRUE(p.ejected.isEmpty());
    IniSettingsRecord two;
    two.Page_mode = 2; // only 1 ejects
    ASSERT_TRUE(runPrintCommand(p, QStringLiteral("Serif"), 12, two.ejectsAfterEveryPrint(), body));
    EXPECT_TRUE(p.ejected.isEmpty());
    ASSERT_TRUE(runPrintCommand(p, QStringLiteral("Serif"), 12, 1, body));
    ASSERT_EQ(p.ejected.size(), 1);
    EXPECT_EQ(p.ejected[0], (QStringList{"x", "x", "x"}));
    // Page mode 1 with nothing to print still ends the document.
    ASSERT_TRUE(runPrintCommand(p, QStringLiteral("Serif"), 12, 1, [] { return true; }));
}

// A very long row of mixed widths, combining marks and surrogate pairs wraps exactly as the rule
// says, character by character, however long it is.
TEST(PrintRow, AVeryLongRowWrapsByTheRule) {
    const QString pieces[] = {QStringLiteral("a"), QStringLiteral("あ"), QStringLiteral("😀"),
                              QStringLiteral("e\u0301"), QStringLiteral("表")};
    QString text;
    QStringList characters;
    for (int i = 0; i < 200000; ++i) {
        const QString& c = pieces[(i * 7 + i / 3) % 5];
        text += c;
        characters << c;
    }
    FakePrinter p;
    ASSERT_TRUE(printRow(p, text, PrintMargins{}));
    // The rule by hand: start at the left margin; after each character, end the line when x has
    // reached the page width less the next character's width and the right margin.
    QStringList expected{QString()};
    double x = 100;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        expected.last() += characters[i];
        x += p.textWidth(characters[i]);
        const double next = i + 1 < characters.size() ? p.textWidth(characters[i + 1]) : 0;
        if (x >= 2000 - 100 - next) {
            expected << QString();
            x = 100;
        }
    }
    EXPECT_EQ(p.line.size(), expected.size());
    EXPECT_EQ(p.line, expected);
}

} // namespace
