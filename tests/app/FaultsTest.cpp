// Bad input and faults, each ending in a clear message (or the documented silence), with
// nothing lost and nothing crashed.
#include "app/frmMain.h"
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "listview/LineListView.h"
#include "output/OutputRules.h"
#include "search/StrSearch.h"
#include "support/Clipboard.h"
#include "support/FakeDesktop.h"
#include "support/FakePrinter.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class Faults : public ::testing::Test {
  protected:
    std::unique_ptr<frmMain> start(const QString& programDir, const QString& file = QString()) {
        auto w = std::make_unique<frmMain>(programDir, desktop, printer);
        w->Form_Load(file);
        return w;
    }
    TempDir dir;
    FakeDesktop desktop;
    FakePrinter printer;
};

TEST_F(Faults, BinaryBytesLoadAndWriteBackUnchanged) {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        if (i != '\r')
            bytes += char(i);
    const QByteArray text = bytes + "\r\n" + QByteArray("\0\0\xff\xff", 4) + "\r\n";
    auto w = start(dir.path(), dir.write(QStringLiteral("bin.dat"), text));
    ASSERT_EQ(w->LineCount(), 2u);
    w->LineList.setRangeSelected(0, 1, true);
    const QString out = dir.file(QStringLiteral("out.dat"));
    ASSERT_EQ(writeSelectedRows(out, 0, w->LineList), ErrorCode::None);
    EXPECT_EQ(TempDir::read(out), text);
    w->List1()->viewport()->repaint();                             // every byte can be shown
    EXPECT_EQ(StrSearch(QString(QChar(0xFFFD)), w->LineList), 2u); // both hold undecodable bytes
}

TEST_F(Faults, OneHundredMegabyteLine) {
    const QString p = dir.file(QStringLiteral("long.txt"));
    {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const QByteArray chunk(1 << 20, 'x');
        for (int i = 0; i < 100; ++i)
            f.write(chunk);
    }
    LineStore rows;
    ASSERT_EQ(text_read(p, rows).error, ErrorCode::None);
    ASSERT_EQ(rows.rowCount(), 1u);
    EXPECT_EQ(rows.rowBytes(0).size(), 100 << 20);
    EXPECT_EQ(rows.rowText(0, 4096).size(), 4096); // the list decodes only what it can show
    LineListView view(rows);
    view.resize(400, 300);
    view.show();
    view.documentReset();
    view.viewport()->repaint();
    EXPECT_EQ(StrSearch(QStringLiteral("xy"), rows), 0u);
}

TEST_F(Faults, ASettingsFileOfManyLinesGarbageAndNulBytes) {
    QByteArray ini;
    for (int i = 0; i < 100'000; ++i)
        ini += "Page_mode=" + QByteArray::number(i % 2) + "\r\n" + QByteArray("\0\xff junk\r\n", 9);
    ini += "FileSel_mode=1\r\n";
    dir.write(QStringLiteral("KARVEL.INI"), ini);
    auto w = start(dir.path());
    EXPECT_TRUE(desktop.messages.isEmpty());
    EXPECT_EQ(w->IniSettings.Page_mode, 1);
    EXPECT_EQ(w->IniSettings.FileSel_mode, 1);
}

TEST_F(Faults, SettingsThatCannotBeWrittenAreSkippedSilently) {
    // The program directory takes no file, even for root.
    auto w = start(QStringLiteral("/proc/self"));
    w->close();
    EXPECT_TRUE(desktop.messages.isEmpty());

    // A directory in the settings file's place: reading says so, writing stays silent.
    QDir(dir.path()).mkdir(QStringLiteral("KARVEL.INI"));
    auto v = start(dir.path());
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0].text, QStringLiteral("パス名が無効です。"));
    v->close();
    EXPECT_EQ(desktop.messages.size(), 1);
    EXPECT_TRUE(QFileInfo(dir.file(QStringLiteral("KARVEL.INI"))).isDir());
}

// Under an address-space limit, with the program's own libraries and window loaded: a file too
// large for the memory (a sparse one larger than the limit, or one of many short lines whose
// index outgrows it) gives the message and leaves the rows shown and the program working; so
// does copying every row of a file that loads but whose text does not fit beside it.
TEST_F(Faults, AFileLargerThanTheMemoryAllowedGivesAMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's shadow memory does not fit under an address space limit";
#endif
    const QString small = dir.write(QStringLiteral("small.txt"), "one\r\ntwo\r\n");
    const QString sparse = dir.file(QStringLiteral("huge.txt"));
    const QString shortLines = dir.file(QStringLiteral("short.txt"));
    const QString longLines = dir.file(QStringLiteral("long.txt"));
    {
        QFile f(sparse);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(900) << 20));
        QFile g(shortLines);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        ASSERT_EQ(g.write(QByteArray(50 << 20, '\n')), 50 << 20);
        QFile h(longLines);
        ASSERT_TRUE(h.open(QIODevice::WriteOnly));
        const QByteArray row = QByteArray(998, 'x') + "\r\n";
        for (int i = 0; i < 200 * 1024; ++i)
            ASSERT_EQ(h.write(row), row.size());
    }
    struct Case {
        QString file;
        const char* limitMiB;
    } cases[] = {{sparse, "700"}, {sparse, "2048"}, {shortLines, "700"}, {longLines, "900"}};
    for (const Case& c : cases) {
        QProcess child;
        child.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        child.start(QStringLiteral(KARVEL_LOAD_UNDER_LIMIT),
                    {small, c.file, QLatin1String(c.limitMiB)});
        ASSERT_TRUE(child.waitForFinished(120000));
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << "the load crashed";
        EXPECT_EQ(child.exitCode(), 0) << c.file.toStdString() << " " << c.limitMiB;
    }
    // Copying every row takes no more than half their size again (read back from the clipboard,
    // which a compositor without a seat does not have).
    if (!clipboardWorks())
        return;
    QProcess child;
    child.start(QStringLiteral(KARVEL_LOAD_UNDER_LIMIT), {QStringLiteral("--copy"), longLines});
    ASSERT_TRUE(child.waitForFinished(120000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << "the copy crashed";
    EXPECT_EQ(child.exitCode(), 0);
}

// Too little address space for the toolkit's threads: the program says so and ends, rather than
// wait for ever for a thread that never started.
TEST(StartUp, ATinyAddressSpaceEndsTheProgramWithAMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's shadow memory does not fit under an address space limit";
#endif
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setChildProcessModifier([] {
        const struct rlimit limit { rlim_t(100) << 20, RLIM_INFINITY };
        ::setrlimit(RLIMIT_AS, &limit);
    });
    child.start(QStringLiteral(KARVEL_PROGRAM), {});
    ASSERT_TRUE(child.waitForFinished(20000)) << "it hangs";
    EXPECT_EQ(child.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(child.readAllStandardError())
                    .contains(ErrorCode(ErrorCode::OutOfMemory).description()));
}

} // namespace
