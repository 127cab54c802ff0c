#include "system/FileIO.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"

#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(ReadWholeFile, RefusesWhatIsNoRegularFileWithTheRightError) {
    TempDir dir;
    struct Case {
        QString path;
        ErrorCode open;
    } cases[] = {
        {dir.file(QStringLiteral("missing.txt")), ErrorCode::FileNotFound},
        {dir.file(QStringLiteral("no/such/dir.txt")), ErrorCode::PathNotFound},
        {dir.path(), ErrorCode::PathFileAccess},
        {QStringLiteral("/dev/zero"), ErrorCode::BadFileName},
        {dir.write(QStringLiteral("f"), "x") + QStringLiteral("/below"), ErrorCode::PathNotFound},
        {QString(), ErrorCode::BadFileName},
        {dir.file(QString(256, QLatin1Char('n'))), ErrorCode::PathFileAccess}, // name too long
    };
    for (const Case& c : cases)
        EXPECT_EQ(readWholeFile(c.path).openError, c.open) << c.path.toStdString();
}

// Output goes to regular files only: anything else is refused at once, without blocking and
// without a byte written.
TEST(OutputFile, SpecialFilesAreRefusedWithoutBlocking) {
    TempDir dir;
    const QString fifo = dir.file(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    for (const QString& path : {fifo, QStringLiteral("/dev/full"), QStringLiteral("/dev/zero")}) {
        OutputFile f;
        EXPECT_EQ(f.open(path, false), ErrorCode::BadFileName) << path.toStdString();
        EXPECT_EQ(f.open(path, true), ErrorCode::BadFileName) << path.toStdString();
    }
    // A FIFO that has a reader is refused as well, and nothing reaches the reader.
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    OutputFile f;
    EXPECT_EQ(f.open(fifo, true), ErrorCode::BadFileName);
    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0);
    ::close(reader);
    ASSERT_EQ(f.open(QStringLiteral("/dev/null"), false), ErrorCode::None);
    EXPECT_EQ(f.write("x", 1), ErrorCode::None);
    EXPECT_EQ(f.close(), ErrorCode::None);
}

TEST(ReadWholeFile, APseudoFileOfNoReportedSizeIsReadToItsEnd) {
    FileReadResult r = readWholeFile(QStringLiteral("/proc/self/status"), 2);
    ASSERT_EQ(r.openError, ErrorCode::None);
    EXPECT_EQ(r.readError, ErrorCode::None);
    EXPECT_TRUE(QByteArray(r.bytes.data.get(), qsizetype(r.bytes.size)).contains("VmRSS:"));
}

} // namespace
