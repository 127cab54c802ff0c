#include "platform/FileIO.h"
#include "platform/RuntimeError.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(ReadWholeFile, RefusesWhatIsNoRegularFileWithTheRightError) {
    TempDir dir;
    const QString fifo = dir.file(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Case {
        QString path;
        int open;
    } cases[] = {
        {dir.file(QStringLiteral("missing.txt")), runtime_error::FileNotFound},
        {dir.file(QStringLiteral("no/such/dir.txt")), runtime_error::PathNotFound},
        {dir.path(), runtime_error::PathFileAccess},
        {fifo, runtime_error::BadFileName}, // must not block waiting for a writer
        {QStringLiteral("/dev/zero"), runtime_error::BadFileName},
        {dir.write(QStringLiteral("f"), "x") + QStringLiteral("/below"),
         runtime_error::PathNotFound},
        {QString(), runtime_error::BadFileName},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readWholeFile(c.path).openError, c.open) << c.path.toStdString();
}

TEST(ReadWholeFile, ReadsEveryByte) {
    TempDir dir;
    QByteArray bytes("a\0b\xff\r\n", 6);
    FileReadResult r = readWholeFile(dir.write(QStringLiteral("b"), bytes), 2);
    EXPECT_EQ(r.openError, 0);
    EXPECT_EQ(r.readError, 0);
    EXPECT_EQ(QByteArray(r.bytes.data.get(), qsizetype(r.bytes.size)), bytes);
}

TEST(OutputFile, AFullDiskIsReported) {
    OutputFile f;
    ASSERT_EQ(f.open(QStringLiteral("/dev/full"), false), 0);
    int err = f.write(QByteArray(100, 'x'));
    if (!err)
        err = f.close();
    EXPECT_EQ(err, runtime_error::DiskFull);
}

TEST(ReplaceFileContent, WritesWholeAndLeavesNoTemporaryFile) {
    TempDir dir;
    const QString p = dir.write(QStringLiteral("KARVEL.INI"), "old");
    EXPECT_TRUE(replaceFileContent(p, "new content"));
    EXPECT_EQ(TempDir::read(p), "new content");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_FALSE(replaceFileContent(dir.file(QStringLiteral("none/KARVEL.INI")), "x"));
}

} // namespace
