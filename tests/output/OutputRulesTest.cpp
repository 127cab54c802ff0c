#include "output/OutputRules.h"
#include "document/LineStore.h"
#include "settings/IniSettings.h"
#include "support/DocumentRows.h"
#include "support/SmallDisk.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class Rows : public ::testing::Test {
  protected:
    void SetUp() override {
        const QByteArray text = sjis("一行目") + "\r\n\r\nthree\r\n" +
                                QByteArray("\x80\xff\x83", 3) + "\r\n" + QByteArray("\xed\x40", 2) +
                                "\rlast";
        ASSERT_TRUE(readBytes(rows, text));
    }
    QString out() const { return dir.file(QStringLiteral("out.txt")); }
    TempDir dir;
    LineStore rows;
};

// The selected rows as their bytes, in row order; mode 1 appends (after an unterminated last
// line as it is), any other mode overwrites; nothing selected empties or keeps the file.
TEST_F(Rows, OutputModes) {
    const struct {
        int mode;
        const char* before; // nullptr: no file yet
        std::vector<std::size_t> selected;
        QByteArray after;
    } cases[] = {
        {0, "old\r\n", {5, 1, 3, 4}, "\r\n\x80\xff\x83\r\n\xed\x40\r\nlast\r\n"},
        {1, "old line", {2}, "old linethree\r\n"},
        {1, "a\r\n", {2}, "a\r\nthree\r\n"},
        {2, "old\r\n", {2}, "three\r\n"},
        {0, "keep\r\n", {}, ""},
        {1, "keep\r\n", {}, "keep\r\n"},
        {1, nullptr, {}, ""},
    };
    for (const auto& c : cases) {
        QFile::remove(out());
        if (c.before)
            dir.write(QStringLiteral("out.txt"), c.before);
        rows.clearSelection();
        for (std::size_t r : c.selected)
            rows.setSelected(r, true);
        IniSettingsRecord settings;
        settings.Append_mode = c.mode;
        ASSERT_EQ(writeSelectedRows(out(), settings.appends(), rows), ErrorCode::None)
            << c.mode << " " << (c.before ? c.before : "-");
        EXPECT_TRUE(QFile::exists(out()));
        EXPECT_EQ(TempDir::read(out()), c.after) << c.mode << " " << (c.before ? c.before : "-");
    }
}

TEST_F(Rows, FailuresThatFailEvenForRootAreReported) {
    rows.setSelected(0, true);
    const QString regular = dir.write(QStringLiteral("plain"), "x");
    struct Case {
        QString path;
        ErrorCode error;
    } cases[] = {
        {dir.file(QStringLiteral("missing/out.txt")), ErrorCode::PathNotFound},
        {regular + QStringLiteral("/out.txt"), ErrorCode::PathNotFound},
        {dir.path(), ErrorCode::PathFileAccess},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(writeSelectedRows(c.path, 0, rows), c.error) << c.path.toStdString();
        EXPECT_EQ(writeLine(c.path, 1, "comment"), c.error) << c.path.toStdString();
    }
    EXPECT_EQ(TempDir::read(regular), "x");
}

TEST_F(Rows, WriteLineAddsTheLineEndOfTheStyle) {
    ASSERT_EQ(writeLine(out(), 0, QByteArray()), ErrorCode::None);
    EXPECT_EQ(TempDir::read(out()), "\r\n");
    ASSERT_EQ(writeLine(out(), 1, "\x81\x60"), ErrorCode::None);
    EXPECT_EQ(TempDir::read(out()), "\r\n\x81\x60\r\n");
    ASSERT_EQ(writeLine(out(), 1, "x", TextFormat{LineEndStyle::Lf}), ErrorCode::None);
    EXPECT_EQ(TempDir::read(out()), "\r\n\x81\x60\r\nx\n");
}

// Overwriting replaces a linked file's content at its target, with the target's mode; the link
// stays and nothing is left beside the target.
TEST_F(Rows, OverwritingWritesThroughALinkKeepingTheMode) {
    const QString target = dir.write(QStringLiteral("target.txt"), "old\r\n");
    ::chmod(QFile::encodeName(target).constData(), 0640);
    ASSERT_TRUE(QFile::link(QStringLiteral("target.txt"), out()));
    rows.setSelected(2, true);
    ASSERT_EQ(writeSelectedRows(out(), false, rows), ErrorCode::None);
    EXPECT_TRUE(QFileInfo(out()).isSymLink());
    EXPECT_EQ(TempDir::read(target), "three\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode_t(0640));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

// On a disk that fills up, an overwritten file keeps its old content and nothing is left beside
// it; a new file and an appended one end at the last row written whole.
TEST(WriteRows, AFullDiskKeepsTheOldContentAndLeavesNoPartOfARow) {
    SmallDisk disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a small disk needs root";
    TempDir dir;
    QByteArray text;
    for (int i = 0; i < 3000; ++i)
        text += "row " + QByteArray::number(i).rightJustified(90, '.') + "\r\n";
    LineStore rows;
    ASSERT_TRUE(readBytes(rows, text));
    rows.setRangeSelected(0, rows.rowCount() - 1, true);
    const QString old = disk.file(QStringLiteral("old.txt"));
    {
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old\r\n");
    }
    EXPECT_EQ(writeSelectedRows(old, false, rows), ErrorCode::DiskFull);
    EXPECT_EQ(TempDir::read(old), "old\r\n");
    EXPECT_EQ(QDir(disk.file(QString())).entryList(QDir::Files | QDir::Hidden).size(), 1);
    const struct {
        QString path;
        bool append;
        QByteArray before;
    } cases[] = {{disk.file(QStringLiteral("new.txt")), false, ""}, {old, true, "old\r\n"}};
    for (const auto& c : cases) {
        EXPECT_EQ(writeSelectedRows(c.path, c.append, rows), ErrorCode::DiskFull);
        const QByteArray written = TempDir::read(c.path).mid(c.before.size());
        EXPECT_GT(written.size(), 0);
        EXPECT_TRUE(text.startsWith(written) && written.endsWith("\r\n")) << written.size();
        QFile::remove(c.path);
    }
}

} // namespace
