#include "settings/IniSettings.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"

#include "system/FileIO.h"

#include <QDir>
#include <QFile>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(IniFileRead, TakesRecognisedLinesTheLastOneWinning) {
    TempDir dir;
    const QByteArray ini = "[Karvel]\r\n"
                           "append_mode=1\r\n" // another case: skipped
                           " Top=100\r\n"      // leading blank: skipped
                           "Top=abc\r\n"       // no number: 0
                           "Page_mode=2\r\n"
                           "Unknown=5\r\n"
                           "FontSize= 9 \r\n"
                           "FontSize=12\r" // CR alone ends a line
                           "SelFileName=\r\n"
                           "SelFileName=C:\\a b.txt \n x\r\n" // a lone LF stays in the value
                           "FontName=" +
                           sjis("ＭＳ ゴシック") +
                           "\r\n"
                           "Width=1e3"; // last line without terminator
    const IniFileSettings r = iniFileRead(dir.write(QStringLiteral("KARVEL.INI"), ini));
    EXPECT_EQ(r.error, ErrorCode::None);
    EXPECT_EQ(r.settings.Append_mode, 0);
    EXPECT_EQ(r.settings.Page_mode, 2);
    EXPECT_EQ(r.top, 0.0f);
    EXPECT_EQ(r.left, std::nullopt);
    EXPECT_EQ(r.fontSize, 12.0f);
    EXPECT_EQ(r.settings.SelFileName, QStringLiteral("C:\\a b.txt \n x"));
    EXPECT_EQ(r.fontName, QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(r.width, 1000.0f);
}

TEST(IniFileRead, StopsAtTheFirstBadLineKeepingWhatCameBefore) {
    TempDir dir;
    const struct {
        QByteArray ini;
        ErrorCode error;
    } cases[] = {
        {"Page_mode=1\r\nFontSize=big\r\nFileSel_mode=1\r\n", ErrorCode::TypeMismatch},
        {"Page_mode=1\r\nTop=1e39\r\nFileSel_mode=1\r\n", ErrorCode::Overflow},
        // A size no font takes is refused as the list refuses it; the largest it takes is not.
        {"Page_mode=1\r\nFontSize=0\r\nFileSel_mode=1\r\n", ErrorCode::InvalidCall},
        {"Page_mode=1\r\nFontSize=16385\r\nFileSel_mode=1\r\n", ErrorCode::InvalidCall},
        {"Page_mode=1\r\nFontSize=16384\r\nFileSel_mode=1\r\n", ErrorCode::None},
    };
    for (const auto& c : cases) {
        const IniFileSettings r = iniFileRead(dir.write(QStringLiteral("KARVEL.INI"), c.ini));
        EXPECT_EQ(r.error, c.error) << c.ini.toStdString();
        EXPECT_EQ(r.settings.Page_mode, 1) << c.ini.toStdString();
        EXPECT_EQ(r.settings.FileSel_mode, c.error ? 0 : 1) << c.ini.toStdString();
    }
}

IniWriteState sampleState() {
    IniWriteState s;
    s.settings.Append_mode = 1;
    s.settings.Page_mode = 2;
    s.settings.FileSel_mode = 1;
    s.settings.SelFileName = QStringLiteral("/home/太郎/out.txt");
    s.top = 1500;
    s.left = 1545.5f;
    s.height = 4515;
    s.width = 6615;
    s.fontName = QStringLiteral("Noto Sans CJK JP");
    s.fontSize = 9.75f;
    return s;
}

TEST(IniFileWrite, WritesElevenLinesInOrder) {
    const QByteArray expected = "[Karvel]\r\nAppend_mode= 1 \r\nPage_mode= 2 \r\nTop= 1500 \r\n"
                                "Left= 1545.5 \r\nHeight= 4515 \r\nWidth= 6615 \r\n"
                                "FontName=Noto Sans CJK JP\r\nFontSize= 9.75 \r\n"
                                "FileSel_mode= 1 \r\nSelFileName=/home/" +
                                sjis("太郎") + "/out.txt\r\n";
    EXPECT_EQ(iniFileContent(sampleState()), expected);
}

// Every remembered name comes back exactly; names code page 932 holds are stored as before, and
// a stored name never disturbs the lines after it.
TEST(IniFileWrite, NamesComeBackExactly) {
    struct Case {
        QString name;
        bool plain; // stored as code page 932 alone
    } cases[] = {
        {QStringLiteral("/home/太郎/売上～2026.txt"), true}, // FULLWIDTH TILDE is in the code page
        {QStringLiteral("/home/taro/売上\u301C2026.txt"), false}, // WAVE DASH from an input method
        {QStringLiteral("/home/taro/😀 100% done.txt"), false},
        {QStringLiteral("/tmp/line\r\nbreak\nname.txt"), false},
        {QStringLiteral("Noto Sans CJK JP"), true},
        {QString(), true},
    };
    for (const Case& c : cases) {
        IniWriteState state = sampleState();
        state.settings.SelFileName = c.name;
        state.fontName = c.name;
        const QByteArray content = iniFileContent(state);
        EXPECT_EQ(content.contains(".UTF-8="), !c.plain) << c.name.toStdString();
        EXPECT_EQ(content.count("\r\n"), c.plain ? 11 : 13) << c.name.toStdString();
        TempDir dir;
        const QString p = dir.write(QStringLiteral("KARVEL.INI"), content);
        const IniFileSettings r = iniFileRead(p);
        ASSERT_EQ(r.error, ErrorCode::None) << c.name.toStdString();
        EXPECT_EQ(r.settings.SelFileName, c.name);
        EXPECT_EQ(r.fontName, c.name);
        EXPECT_EQ(r.fontSize, 9.75f);
        EXPECT_EQ(r.settings.FileSel_mode, 1);
    }
}

// A missing file is silent; a directory in its place is an error and reads as unreadable.
TEST(IniFileRead, TellsAnUnreadableFileFromAMissingOne) {
    TempDir dir;
    const IniFileSettings missing = iniFileRead(dir.file(QStringLiteral("KARVEL.INI")));
    EXPECT_EQ(missing.error, ErrorCode::None);
    EXPECT_FALSE(missing.unreadable);
    QDir(dir.path()).mkdir(QStringLiteral("KARVEL.INI"));
    const IniFileSettings directory = iniFileRead(dir.file(QStringLiteral("KARVEL.INI")));
    EXPECT_EQ(directory.error, ErrorCode::PathFileAccess);
    EXPECT_TRUE(directory.unreadable);
}

// A settings file reached through a link to a link is replaced at the final target, with its
// mode; both links stay links, nothing is left beside them, and it reads back.
TEST(IniFileWrite, FollowsAChainOfLinksToTheFile) {
    TempDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("prog")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("shared")));
    const QString target = dir.write(QStringLiteral("shared/karvel.ini"), "Page_mode=1\r\n");
    ::chmod(QFile::encodeName(target).constData(), 0640);
    const QString middle = dir.file(QStringLiteral("shared/current.ini"));
    const QString ini = iniFilePath(dir.file(QStringLiteral("prog/")));
    ASSERT_TRUE(QFile::link(QStringLiteral("karvel.ini"), middle));
    ASSERT_TRUE(QFile::link(QStringLiteral("../shared/current.ini"), ini));
    ASSERT_TRUE(iniFileWrite(ini, sampleState()));
    EXPECT_TRUE(QFileInfo(ini).isSymLink());
    EXPECT_TRUE(QFileInfo(middle).isSymLink());
    EXPECT_EQ(TempDir::read(target), iniFileContent(sampleState()));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode_t(0640));
    const auto entries = QDir::System | QDir::Files | QDir::Hidden;
    EXPECT_EQ(QDir(dir.file(QStringLiteral("prog"))).entryList(entries).size(), 1);
    EXPECT_EQ(QDir(dir.file(QStringLiteral("shared"))).entryList(entries).size(), 2);
    EXPECT_EQ(iniFileRead(ini).settings.Page_mode, 2);
}

// Another user's file in a sticky folder, reached through a link from a folder that takes no new
// file: only a rewrite in place can save it. Two copies of the program rewriting it at once,
// each reading it back after every write, never see it cut short or mixed.
TEST(IniFileWrite, TwoCopiesRewritingInPlaceSeeOnlyWholeFiles) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's file needs root";
    constexpr uid_t kNobody = 65534;
    TempDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sticky")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("prog")));
    ::chmod(QFile::encodeName(dir.file(QStringLiteral("sticky"))).constData(), 01777);
    const QString shared = dir.write(QStringLiteral("sticky/shared.ini"), "Page_mode=1\r\n");
    ::chmod(QFile::encodeName(shared).constData(), 0666);
    const QString ini = iniFilePath(dir.file(QStringLiteral("prog/")));
    ASSERT_TRUE(QFile::link(QStringLiteral("../sticky/shared.ini"), ini));
    ::chmod(QFile::encodeName(dir.file(QStringLiteral("prog"))).constData(), 0555);

    IniWriteState states[2] = {sampleState(), sampleState()};
    states[1].fontName = QString(300, QLatin1Char('f'));
    const QByteArray contents[2] = {iniFileContent(states[0]), iniFileContent(states[1])};
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                ::_exit(2);
            for (int i = 0; i < 300; ++i) {
                if (!iniFileWrite(ini, states[c]))
                    ::_exit(3);
                const FileReadResult r = readWholeFile(ini, 0, nullptr, true);
                const QByteArray seen(r.bytes.data.get(), qsizetype(r.bytes.size));
                if (seen != contents[0] && seen != contents[1])
                    ::_exit(4);
            }
            ::_exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_TRUE(QFileInfo(ini).isSymLink());
    const QByteArray last = TempDir::read(shared);
    EXPECT_TRUE(last == contents[0] || last == contents[1]);
    EXPECT_EQ(QDir(dir.file(QStringLiteral("sticky"))).entryList(QDir::Files | QDir::Hidden).size(),
              1);
    ::chmod(QFile::encodeName(dir.file(QStringLiteral("prog"))).constData(), 0755);
}

} // namespace
