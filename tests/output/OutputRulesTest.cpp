#include "output/OutputRules.h"
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "settings/IniSettings.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class Rows : public ::testing::Test {
  protected:
    void SetUp() override {
        const QByteArray text = sjis("一行目") + "\r\n\r\nthree\r\n" +
                                QByteArray("\x80\xff\x83", 3) + "\r\n" + QByteArray("\xed\x40", 2) +
                                "\rlast";
        ASSERT_EQ(text_read(dir.write(QStringLiteral("in.txt"), text), rows), 0);
    }
    QString out() const { return dir.file(QStringLiteral("out.txt")); }
    TempDir dir;
    LineStore rows;
};

TEST_F(Rows, WritesSelectedRowsAsTheirBytesInIndexOrder) {
    rows.setSelected(5, true);
    rows.setSelected(1, true);
    rows.setSelected(3, true);
    rows.setSelected(4, true);
    ASSERT_EQ(writeSelectedRows(out(), 0, rows), 0);
    EXPECT_EQ(TempDir::read(out()), QByteArray("\r\n\x80\xff\x83\r\n\xed\x40\r\nlast\r\n"));
}

TEST_F(Rows, OverwriteReplacesAndAppendAdds) {
    dir.write(QStringLiteral("out.txt"), "old line");
    rows.setSelected(2, true);
    ASSERT_EQ(writeSelectedRows(out(), 1, rows), 0); // joins the unterminated last line
    EXPECT_EQ(TempDir::read(out()), "old linethree\r\n");
    ASSERT_EQ(writeSelectedRows(out(), 1, rows), 0);
    EXPECT_EQ(TempDir::read(out()), "old linethree\r\nthree\r\n");
    IniSettingsRecord two;
    two.Append_mode = 2; // anything but 1 overwrites
    ASSERT_EQ(writeSelectedRows(out(), two.appends(), rows), 0);
    EXPECT_EQ(TempDir::read(out()), "three\r\n");
}

TEST_F(Rows, NoSelectionEmptiesInOverwriteModeAndKeepsInAppendMode) {
    dir.write(QStringLiteral("out.txt"), "keep\r\n");
    ASSERT_EQ(writeSelectedRows(out(), 1, rows), 0);
    EXPECT_EQ(TempDir::read(out()), "keep\r\n");
    ASSERT_EQ(writeSelectedRows(out(), 0, rows), 0);
    EXPECT_EQ(TempDir::read(out()), "");
    const QString created = dir.file(QStringLiteral("new.txt"));
    ASSERT_EQ(writeSelectedRows(created, 1, rows), 0);
    EXPECT_TRUE(QFile::exists(created));
}

TEST_F(Rows, FailuresThatFailEvenForRootAreReported) {
    rows.setSelected(0, true);
    const QString regular = dir.write(QStringLiteral("plain"), "x");
    const QString fifo = dir.file(QStringLiteral("fifo")); // no reader: must not block
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    struct Case {
        QString path;
        int error;
    } cases[] = {
        {dir.file(QStringLiteral("missing/out.txt")), runtime_error::PathNotFound},
        {regular + QStringLiteral("/out.txt"), runtime_error::PathNotFound},
        {dir.path(), runtime_error::PathFileAccess},
        {QStringLiteral("/dev/full"), runtime_error::BadFileName}, // a device: refused
        {fifo, runtime_error::BadFileName},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(writeSelectedRows(c.path, 0, rows), c.error) << c.path.toStdString();
        EXPECT_EQ(writeLine(c.path, 1, "comment"), c.error) << c.path.toStdString();
    }
    EXPECT_EQ(TempDir::read(regular), "x");
}

TEST_F(Rows, WriteLineAddsTheLineEndOfTheStyle) {
    ASSERT_EQ(writeLine(out(), 0, QByteArray()), 0);
    EXPECT_EQ(TempDir::read(out()), "\r\n");
    ASSERT_EQ(writeLine(out(), 1, "\x81\x60"), 0);
    EXPECT_EQ(TempDir::read(out()), "\r\n\x81\x60\r\n");
    ASSERT_EQ(writeLine(out(), 1, "x", TextFormat{LineEndStyle::Lf}), 0);
    EXPECT_EQ(TempDir::read(out()), "\r\n\x81\x60\r\nx\n");
}

// Every row comes back as the bytes it was read from, followed by the file's own line end.
TEST(WriteRows, RowsEndInTheDocumentsOwnLineEnd) {
    struct Case {
        const char* name;
        QByteArray in, out;
    } cases[] = {
        {"crlf stays crlf", "a\r\nb\rc", "a\r\nb\r\nc\r\n"},
        {"cells keep their line feeds", "\"x\ny\",1\r\nz\r\n", "\"x\ny\",1\r\nz\r\n"},
        {"lf stays lf", "a\nb\nc", "a\nb\nc\n"},
        {"lf with a crlf line and a lone cr", "a\r\nb\r\nc\nd\re\nf\ng\n", "a\nb\nc\nd\re\nf\ng\n"},
        {"utf-8 with a broken byte", "\xe6\x8e\xa5\xff\n\xe7\xb6\x9a\n",
         "\xe6\x8e\xa5\xff\n\xe7\xb6\x9a\n"},
        {"byte order mark not written",
         "\xef\xbb\xbf"
         "a\r\nb\r\n",
         "a\r\nb\r\n"},
        {"code page 932 lf", "\x90\xda\x91\xb1\n\x83\x5c\n", "\x90\xda\x91\xb1\n\x83\x5c\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        LineStore rows;
        ASSERT_EQ(text_read(dir.write(QStringLiteral("in.txt"), c.in), rows), 0) << c.name;
        rows.setRangeSelected(0, rows.rowCount() - 1, true);
        const QString out = dir.file(QStringLiteral("out.txt"));
        ASSERT_EQ(writeSelectedRows(out, 0, rows), 0) << c.name;
        EXPECT_EQ(TempDir::read(out), c.out) << c.name;
    }
}

} // namespace
