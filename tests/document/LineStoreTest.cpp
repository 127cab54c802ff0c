#include "document/LineStore.h"
#include "document/TextRead.h"
#include "platform/RuntimeError.h"
#include "support/TempDir.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace {

QStringList rows(const LineStore& s) {
    QStringList out;
    for (std::size_t i = 0; i < s.rowCount(); ++i)
        out << s.rowText(i);
    return out;
}

TEST(TextRead, SplitsRowsAtCrAndCrLfOnly) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList rows;
    } cases[] = {
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"no final terminator", "a\r\nb", {"a", "b"}},
        {"cr only", "a\rb\r", {"a", "b"}},
        {"lone lf stays", "a\nb\nc", {"a\nb\nc"}},
        {"lf before crlf", "a\n\r\nb", {"a\n", "b"}},
        {"empty lines", "\r\n\r\nx\r\n\r\n", {"", "", "x", ""}},
        {"empty file", "", {}},
        {"only a terminator", "\r\n", {""}},
        {"cr cr lf", "a\r\r\n", {"a", ""}},
        {"final lone lf", "a\n", {"a\n"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        LineStore store;
        EXPECT_EQ(text_read(dir.write(QStringLiteral("t.txt"), c.bytes), store), 0) << c.name;
        EXPECT_EQ(rows(store), c.rows) << c.name;
    }
}

// A file arrives in pieces of any size: a CR at the end of one piece and its LF at the start of
// the next, rows longer and shorter than the blocks the indexer scans at once.
TEST(LineStore, IndexingInPiecesGivesTheRowsOfAPlainSplit) {
    std::mt19937 random(11);
    QByteArray text;
    for (int i = 0; i < 3000; ++i) {
        const unsigned r = random() % 16;
        text += r < 3    ? QByteArray("\r")
                : r < 5  ? QByteArray("\n")
                : r == 5 ? QByteArray(qsizetype(1 + random() % 150), 'x')
                         : QByteArray("ab");
    }
    QList<QByteArray> expected; // rows end at CR or CR LF
    QByteArray row;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            row += text[i];
            continue;
        }
        expected << row;
        row.clear();
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    if (!row.isEmpty())
        expected << row;
    for (const std::size_t piece : {std::size_t(1), std::size_t(63), std::size_t(64),
                                    std::size_t(65), std::size_t(1000), std::size_t(text.size())}) {
        ByteBuffer buffer{ByteBuffer::allocate(std::size_t(text.size()) + 2), 0};
        std::memcpy(buffer.data.get(), text.constData(), std::size_t(text.size()));
        LineStore store;
        store.beginIndex();
        for (std::size_t got = piece; got < std::size_t(text.size()); got += piece)
            store.indexRead(buffer.data.get(), got);
        buffer.size = std::size_t(text.size());
        store.adopt(std::move(buffer));
        QList<QByteArray> rows;
        for (std::size_t i = 0; i < store.rowCount(); ++i)
            rows << store.rowBytes(i).toByteArray();
        EXPECT_EQ(rows, expected) << "pieces of " << piece;
    }
}

TEST(TextRead, RowsKeepTheirExactBytes) {
    TempDir dir;
    const QByteArray japanese = sjis("表示ソフト");
    const QByteArray odd("\x80\xff\x83", 3); // invalid bytes
    const QByteArray both("\xed\x40\xfa\x5c", 4);
    LineStore store;
    ASSERT_EQ(text_read(dir.write(QStringLiteral("j.txt"),
                                  japanese + "\r\n" + odd + "\r\n" + both + "\tx"),
                        store),
              0);
    ASSERT_EQ(store.rowCount(), 3u);
    EXPECT_EQ(store.rowText(0), QStringLiteral("表示ソフト"));
    EXPECT_EQ(store.rowBytes(1).toByteArray(), odd);
    EXPECT_EQ(store.rowBytes(2).toByteArray(), both + "\tx");
    EXPECT_EQ(store.rowText(2), QStringLiteral("纊纊\tx"));
}

TEST(TextRead, AFailedOpenKeepsTheOldRowsAndSelection) {
    TempDir dir;
    LineStore store;
    ASSERT_EQ(text_read(dir.write(QStringLiteral("a.txt"), "one\r\ntwo\r\n"), store), 0);
    store.setSelected(1, true);
    EXPECT_EQ(text_read(dir.file(QStringLiteral("missing.txt")), store),
              runtime_error::FileNotFound);
    EXPECT_EQ(text_read(dir.path(), store), runtime_error::PathFileAccess);
    EXPECT_EQ(rows(store), (QStringList{"one", "two"}));
    EXPECT_TRUE(store.isSelected(1));
}

TEST(TextRead, ASecondLoadClearsRowsAndSelection) {
    TempDir dir;
    LineStore store;
    ASSERT_EQ(text_read(dir.write(QStringLiteral("a.txt"), "1\r\n2\r\n3\r\n"), store), 0);
    store.setRangeSelected(0, 2, true);
    ASSERT_EQ(text_read(dir.write(QStringLiteral("b.txt"), "x\r\ny\r\n"), store), 0);
    EXPECT_EQ(rows(store), (QStringList{"x", "y"}));
    EXPECT_EQ(store.selectedCount(), 0u);
}

TEST(TextRead, TheFileMayChangeAfterLoading) {
    TempDir dir;
    LineStore store;
    const QString p = dir.write(QStringLiteral("a.txt"), "keep\r\n");
    ASSERT_EQ(text_read(p, store), 0);
    dir.write(QStringLiteral("a.txt"), "changed\r\n");
    QFile::remove(p);
    EXPECT_EQ(rows(store), QStringList{"keep"});
}

TEST(LineStore, RangesSelectAcrossWordBoundaries) {
    TempDir dir;
    LineStore store;
    ASSERT_EQ(text_read(dir.write(QStringLiteral("n.txt"), QByteArray(300, '\r')), store), 0);
    ASSERT_EQ(store.rowCount(), 300u);
    store.setRangeSelected(250, 3, true);
    EXPECT_EQ(store.selectedCount(), 248u);
    EXPECT_FALSE(store.isSelected(2));
    EXPECT_TRUE(store.isSelected(3));
    EXPECT_TRUE(store.isSelected(250));
    EXPECT_FALSE(store.isSelected(251));
    store.setRangeSelected(64, 127, false);
    EXPECT_EQ(store.selectedCount(), 184u);
}

} // namespace
