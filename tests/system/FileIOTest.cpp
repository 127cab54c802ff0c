#include "system/FileIO.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"

#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Any name converts back to its exact bytes; a UTF-8 name reads as its text, and only the
// bytes that are not UTF-8 (Shift-JIS, a cut sequence, long forms, encoded surrogates, beyond
// U+10FFFF) are held apart.
TEST(FileNames, EveryNameComesBackAsItsBytes) {
    struct Case {
        QByteArray bytes;
        int apart; // bytes held apart
    } cases[] = {
        {"/home/太郎/\U0001F0A1 100%.txt", 0}, // U+1F0A1 is D83C DCA1 in UTF-16
        {"/tmp/\x83\x65\x83X\x83g.txt", 3},
        {"\xE6\x97", 2},
        {"\xC0\xAF\xE0\x80\xAF", 5},
        {"\xED\xA0\xBD\xED\xB8\x80", 6},
        {"\xF4\x90\x80\x80\xF4\x8F\xBF\xBF", 4},
        {"\xFF\xFE\x80\xBF", 4},
    };
    for (const Case& c : cases) {
        const QString name = fileNameFromBytes(c.bytes);
        EXPECT_EQ(fileNameBytes(name), c.bytes) << c.bytes.toHex().constData();
        QString text; // without the lone surrogates that hold bytes apart
        int apart = 0;
        for (qsizetype i = 0; i < name.size(); ++i)
            if (name[i].isLowSurrogate() && !(i > 0 && name[i - 1].isHighSurrogate()))
                ++apart;
            else
                text += name[i];
        EXPECT_EQ(apart, c.apart) << c.bytes.toHex().constData();
        EXPECT_EQ(text, QString::fromUtf8(c.bytes).remove(QChar::ReplacementCharacter));
    }
}

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
