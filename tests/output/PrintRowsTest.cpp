#include "output/PrintRows.h"
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "settings/IniSettings.h"
#include "support/FakePrinter.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"

#include <gtest/gtest.h>

namespace {

// Page 2000 twips, margins 100, ASCII 100 wide and the rest 200: after each character the line
// ends when x has reached the page width less the right margin and the next character's width.
TEST(PrintRow, WrapsCharacterByCharacterAtTheRightMargin) {
    const QString a17(17, QLatin1Char('a')), wide8(8, QChar(0x3042));
    const struct {
        const char* name;
        QString text;
        QStringList lines;
        double page = 2000, wide = 200;
    } cases[] = {
        {"fits", QStringLiteral("abcde"), {"abcde"}},
        {"wraps at >=", a17 + "a", {a17, "a"}},
        {"ends just inside", a17, {a17}},
        {"empty row", QString(), {""}},
        {"wide characters", QStringLiteral("あいうえおかきくけ"), {"あいうえおかきく", "け"}},
        {"surrogate pair never split", a17.left(15) + "😀b", {a17.left(15) + "😀", "b"}},
        {"combining mark stays with its letter",
         a17.left(16) + "e\u0301b",
         {a17.left(16), "e\u0301b"}},
        {"ending within the margin adds an empty line", "xあ", {"x", "あ", ""}, 2000, 1850},
        {"ending inside the margin adds none", wide8 + "z", {wide8 + "z"}},
        {"the first character of a line is always drawn", "abc", {"a", "b", "c", ""}, 50},
    };
    for (const auto& c : cases) {
        FakePrinter p;
        p.page = c.page;
        p.wide = c.wide;
        ASSERT_TRUE(printRow(p, c.text, PrintMargins{}));
        EXPECT_EQ(p.line, c.lines) << c.name;
    }
}

TEST(PrintSelectedRows, PrintsSelectedRowsInIndexOrderAndKeepsTheSelection) {
    TempDir dir;
    LineStore rows;
    ASSERT_EQ(
        text_read(dir.write(QStringLiteral("r.txt"), "zero\r\none\r\n\r\nthree\r\n"), rows).error,
        ErrorCode::None);
    rows.setSelected(3, true);
    rows.setSelected(0, true);
    rows.setSelected(2, true);
    FakePrinter p;
    ASSERT_TRUE(printSelectedRows(p, rows, PrintMargins{}));
    EXPECT_EQ(p.line, (QStringList{"zero", "", "three"}));
    EXPECT_EQ(rows.selectedCount(), 3u);
}

// A row longer than a piece of decoding is printed as the whole row's text would be, a character
// cut by a piece's end (here a letter and its accent, at the first cut) kept whole.
TEST(PrintSelectedRows, ALongRowIsPrintedAsItsWholeText) {
    TempDir dir;
    LineStore rows;
    QByteArray row;
    while (std::size_t(row.size()) < LineStore::kTextPiece + 4096)
        row += "e\xcc\x81";
    ASSERT_EQ(text_read(dir.write(QStringLiteral("long.txt"), row + "\n"), rows).error,
              ErrorCode::None);
    rows.setSelected(0, true);
    FakePrinter pieces, whole;
    pieces.page = whole.page = 50; // a line for each character
    ASSERT_TRUE(printSelectedRows(pieces, rows, PrintMargins{}));
    ASSERT_TRUE(printRow(whole, rows.rowText(0), PrintMargins{}));
    EXPECT_TRUE(pieces.line == whole.line) << pieces.line.size() << " " << whole.line.size();
}

} // namespace
