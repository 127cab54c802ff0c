#include "document/LineStore.h"
#include "document/TextRead.h"
#include "support/DocumentRows.h"
#include "support/ReferenceText.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"
#include "text/Cp932.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace {

// Each file's own line ends decide how it splits; every CR LF file splits as it always did.
TEST(TextRead, SplitsRowsByTheFilesOwnLineEnds) {
    using enum LineEndStyle;
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList rows;
        LineEndStyle style;
    } cases[] = {
        {"crlf", "a\r\nb\r\n", {"a", "b"}, Cr},
        {"no final terminator", "a\r\nb", {"a", "b"}, Cr},
        {"old cr", "a\rb\r", {"a", "b"}, Cr},
        {"lf before crlf: a tie", "a\n\r\nb", {"a\n", "b"}, Cr},
        {"empty lines", "\r\n\r\nx\r\n\r\n", {"", "", "x", ""}, Cr},
        {"empty file", "", {}, Cr},
        {"only a terminator", "\r\n", {""}, Cr},
        {"cr cr lf", "a\r\r\n", {"a", ""}, Cr},
        {"no terminator", "just one line", {"just one line"}, Cr},
        {"spreadsheet cells with line breaks",
         "\"a\nb\",c\r\n\"d\ne\nf\",g\r\nh,i\r\n",
         {"\"a\nb\",c", "\"d\ne\nf\",g", "h,i"},
         Cr},
        {"pure lf", "a\nb\nc", {"a", "b", "c"}, Lf},
        {"final lone lf", "a\n", {"a"}, Lf},
        {"lf with empty lines", "\n\nx\n\n", {"", "", "x", ""}, Lf},
        {"lf log with progress crs",
         "10%\r50%\r100%\ndone\nok\nend\n",
         {"10%\r50%\r100%", "done", "ok", "end"},
         Lf},
        {"lf file with a crlf line", "a\r\nb\nc\n", {"a", "b", "c"}, Lf},
        {"lf file ending in a lone cr", "a\nb\nc\r", {"a", "b", "c\r"}, Lf},
    };
    for (const Case& c : cases) {
        LineStore store;
        EXPECT_TRUE(readBytes(store, c.bytes)) << c.name;
        EXPECT_EQ(rowTexts(store), c.rows) << c.name;
        EXPECT_EQ(store.format().lineEnd, c.style) << c.name;
    }
}

TEST(TextRead, TellsUtf8FromCodePage932) {
    using enum TextEncoding;
    const QByteArray sjisLine = sjis("接続エラー：サーバーに接続できません") + "\r\n";
    QByteArray sjisWithUtf8Look; // code page 932 text with a few valid UTF-8 pairs in it
    for (int i = 0; i < 200; ++i)
        sjisWithUtf8Look += sjisLine + sjis("ﾃｽﾄ") + "\xc3\xa9\r\n";
    QByteArray largeUtf8WithOneBadByte;
    for (int i = 0; i < 20000; ++i)
        largeUtf8WithOneBadByte += "2026-12-01 接続 OK\n";
    largeUtf8WithOneBadByte += "broken \xff byte\n";
    QByteArray utf8TooManyBad;
    for (int i = 0; i < 10; ++i)
        utf8TooManyBad += "接続 \xff\n";
    // UTF-8 keeps at most one broken sequence per four good ones.
    const QByteArray thousand = QByteArray("接").repeated(1000), broken = "\xff\n";
    const QByteArray fourPerBroken = QByteArray("接接接接\xff").repeated(100) + "\n";
    const QByteArray threePerBroken = QByteArray("接接接接\xff").repeated(99) + "接接接\xff\n";
    // The first 64 KiB hold a broken byte and nothing good, the Japanese comes after.
    const QByteArray lateJapanese = "x\xff\n" + QByteArray(66000, 'a') + "\n" + thousand + "\n";
    struct Case {
        const char* name;
        QByteArray bytes;
        TextEncoding encoding;
        QString firstRow;
    } cases[] = {
        {"byte order mark",
         "\xef\xbb\xbf"
         "abc\r\n",
         Utf8, "abc"},
        {"byte order mark alone", "\xef\xbb\xbf", Utf8, ""},
        {"byte order mark and invalid bytes", "\xef\xbb\xbf\x82\xa0", Utf8, "\uFFFD\uFFFD"},
        {"utf-8 japanese", "接続\nテスト\n", Utf8, "接続"},
        {"pure ascii", "abc\r\n", Cp932, "abc"},
        {"code page 932 japanese", sjisLine, Cp932, "接続エラー：サーバーに接続できません"},
        {"code page 932 with a few utf-8 pairs", sjisWithUtf8Look, Cp932,
         "接続エラー：サーバーに接続できません"},
        {"utf-8 with one invalid byte late", largeUtf8WithOneBadByte, Utf8, "2026-12-01 接続 OK"},
        {"utf-8 with too many invalid bytes", utf8TooManyBad, Cp932,
         cp932::decode(utf8TooManyBad.left(utf8TooManyBad.indexOf('\n')))},
        {"one invalid per four valid", fourPerBroken, Utf8,
         (QStringLiteral("接接接接") + QChar(0xFFFD)).repeated(100)},
        {"one invalid per fewer than four valid", threePerBroken, Cp932,
         cp932::decode(threePerBroken.chopped(1))},
        {"a broken byte early, japanese after 64 KiB", lateJapanese, Utf8,
         QStringLiteral("x\uFFFD")},
    };
    for (const Case& c : cases) {
        LineStore store;
        ASSERT_TRUE(readBytes(store, c.bytes)) << c.name;
        EXPECT_EQ(store.format().encoding, c.encoding) << c.name;
        EXPECT_EQ(store.rowCount() ? store.rowText(0) : QString(), c.firstRow) << c.name;
    }
}

// A file arrives in pieces of any size: a CR at the end of one piece and its LF at the start of
// the next, a UTF-8 sequence cut between two, rows longer and shorter than the blocks the
// indexer scans at once, and a file whose first lines suggest the other style.
TEST(LineStore, IndexingInPiecesGivesTheRowsOfAPlainSplit) {
    std::mt19937 random(11);
    for (int variant = 0; variant < 4; ++variant) {
        QByteArray text = variant == 3 ? QByteArray("\xef\xbb\xbf") : QByteArray();
        for (int i = 0; i < 3000; ++i) {
            const unsigned r = random() % 16;
            // Variant 1 turns from CR lines to more LF lines half-way.
            const bool lfNow = variant == 2 || (variant == 1 && i > 1000);
            text += r < 3    ? QByteArray(lfNow ? "\n" : "\r")
                    : r < 5  ? QByteArray(lfNow ? "\r" : "\n")
                    : r == 5 ? QByteArray(qsizetype(1 + random() % 150), 'x')
                    : r == 6 ? QByteArray("\xe6\x8e\xa5")
                             : QByteArray("ab");
        }
        const std::vector<QByteArray> expected = reference::rowsOf(text);
        for (const std::size_t piece :
             {std::size_t(1), std::size_t(63), std::size_t(64), std::size_t(65), std::size_t(1000),
              std::size_t(text.size())}) {
            ByteBuffer buffer{ByteBuffer::allocate(std::size_t(text.size()) + LineStore::kSlack),
                              0};
            std::memcpy(buffer.data.get(), text.constData(), std::size_t(text.size()));
            LineStore store;
            store.beginIndex(std::size_t(text.size()));
            for (std::size_t got = piece; got < std::size_t(text.size()); got += piece)
                store.indexRead(buffer.data.get(), got);
            buffer.size = std::size_t(text.size());
            store.adopt(std::move(buffer));
            std::vector<QByteArray> rows;
            for (std::size_t i = 0; i < store.rowCount(); ++i)
                rows.push_back(store.rowBytes(i).toByteArray());
            EXPECT_EQ(rows, expected) << "variant " << variant << ", pieces of " << piece;
            EXPECT_EQ(store.format().lineEnd, reference::styleOf(text)) << variant;
            EXPECT_EQ(store.format().encoding, reference::encodingOf(text)) << variant;
        }
    }
}

TEST(TextRead, RowsKeepTheirExactBytes) {
    const QByteArray odd("\x80\xff\x83", 3); // invalid bytes
    const QByteArray both("\xed\x40\xfa\x5c", 4);
    LineStore store;
    ASSERT_TRUE(readBytes(store, sjis("表示ソフト") + "\r\n" + odd + "\r\n" + both + "\tx"));
    ASSERT_EQ(store.rowCount(), 3u);
    EXPECT_EQ(store.rowText(0), QStringLiteral("表示ソフト"));
    EXPECT_EQ(store.rowBytes(1).toByteArray(), odd);
    EXPECT_EQ(store.rowBytes(2).toByteArray(), both + "\tx");
    EXPECT_EQ(store.rowText(2), QStringLiteral("纊纊\tx"));
}

// The rows are the file's as it was read: it may change or go afterwards; a second load
// replaces the rows and clears the selection.
TEST(TextRead, ASecondLoadClearsRowsAndSelection) {
    TempDir dir;
    LineStore store;
    const QString p = dir.write(QStringLiteral("a.txt"), "1\r\n2\r\n3\r\n");
    ASSERT_EQ(text_read(p, store).error, ErrorCode::None);
    store.setRangeSelected(0, 2, true);
    dir.write(QStringLiteral("a.txt"), "changed\r\n");
    QFile::remove(p);
    EXPECT_EQ(rowTexts(store), (QStringList{"1", "2", "3"}));
    ASSERT_TRUE(readBytes(store, "x\r\ny\r\n"));
    EXPECT_EQ(rowTexts(store), (QStringList{"x", "y"}));
    EXPECT_EQ(store.selectedCount(), 0u);
}

// The selection's counts and visits agree with its bits after every kind of edit: rows, ranges
// across word and block boundaries, clearing, a selection put back, a document replaced.
TEST(LineStore, SelectionCountsAndVisitsMatchTheBits) {
    LineStore store;
    const std::size_t rows = 3 * LineStore::kBlockRows + 100; // the last block is partial
    ASSERT_TRUE(readBytes(store, QByteArray(qsizetype(rows), '\r')));
    ASSERT_EQ(store.rowCount(), rows);
    std::vector<bool> model(rows);
    std::mt19937 random(7);
    auto pick = [&] { return std::size_t(random() % rows); };
    auto check = [&](int step) {
        ASSERT_EQ(store.selectedCount(), std::size_t(std::count(model.begin(), model.end(), true)))
            << step;
        for (int r = 0; r < 4; ++r) {
            std::size_t a = pick(), b = pick();
            if (a > b)
                std::swap(a, b);
            for (bool state : {true, false}) {
                std::vector<std::size_t> visited, expected;
                store.forEachIn(state, a, b, [&](std::size_t row) {
                    visited.push_back(row);
                    return true;
                });
                for (std::size_t row = a; row <= b; ++row)
                    if (model[row] == state)
                        expected.push_back(row);
                ASSERT_EQ(visited, expected) << step << " " << a << ".." << b;
                if (state) {
                    ASSERT_EQ(store.selectedCountIn(a, b), expected.size()) << step;
                }
            }
        }
    };
    for (int step = 0; step < 400; ++step) {
        const std::size_t a = pick(), b = pick();
        const bool on = random() % 3 != 0;
        switch (random() % 20) {
        case 0:
            store.clearSelection();
            std::fill(model.begin(), model.end(), false);
            break;
        case 1: { // put back as it was, after a whole-range change
            const std::vector<std::uint64_t> before = store.selectionWords();
            store.setRangeSelected(0, rows - 1, true);
            store.setSelectionWords(before);
            break;
        }
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
            store.setSelected(a, on);
            model[a] = on;
            break;
        default:
            store.setRangeSelected(a, b, on);
            std::fill(model.begin() + std::ptrdiff_t(std::min(a, b)),
                      model.begin() + std::ptrdiff_t(std::max(a, b)) + 1, on);
        }
        check(step);
        if (HasFatalFailure())
            return;
    }
    // The whole range, the last rows, and a replaced document.
    store.setRangeSelected(rows - 1, 0, true);
    EXPECT_EQ(store.selectedCount(), rows);
    EXPECT_EQ(store.selectedCountIn(rows - 100, rows - 1), 100u);
    EXPECT_TRUE(store.forEachIn(false, 0, rows - 1, [](std::size_t) { return false; }));
    LineStore other;
    store.replaceWith(std::move(other));
    EXPECT_EQ(store.selectedCount(), 0u);
}

} // namespace
