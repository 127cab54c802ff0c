// The real program, run as an ordinary user from a program directory of its own and stopped by
// a signal: KARVEL.INI is saved as closing the window saves it, and written the way its owner
// set it up.
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

bool catchesSigterm(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

class OrdinaryUser : public ::testing::Test {
  protected:
    void SetUp() override {
        program = dir.file(QStringLiteral("prog"));
        ASSERT_TRUE(QDir().mkpath(program));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KARVEL_PROGRAM), program + "/karvel32"));
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    }
    QString ini() const { return program + QStringLiteral("/KARVEL.INI"); }
    // Files the tests made belong to the user the program runs as.
    void giveToUser(const QString& path) const {
        if (::geteuid() == 0)
            (void)!::lchown(QFile::encodeName(path).constData(), kNobody, kNoGroup);
    }
    mode_t modeOf(const QString& path) const {
        struct stat st {};
        ::lstat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    }

    // Starts the program (as "nobody" when the tests run as root), waits until it has set up its
    // signal handling, sends the signal and waits for it to end. Returns its exit code.
    int runAndStop(int signalNumber, mode_t umask = 022) {
        giveToUser(program);
        giveToUser(program + "/karvel32");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), dir.path());
        child.setProcessEnvironment(env);
        child.setChildProcessModifier([umask] {
            ::umask(umask);
            if (::geteuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(kNoGroup) != 0 || ::setuid(kNobody) != 0))
                ::_exit(120);
        });
        child.start(program + QStringLiteral("/karvel32"), {});
        if (!child.waitForStarted(10000))
            return -1;
        for (int i = 0; i < 3000 && !catchesSigterm(child.processId()); ++i)
            QTest::qWait(10);
        ::kill(pid_t(child.processId()), signalNumber);
        if (!child.waitForFinished(20000)) {
            child.kill();
            return -2;
        }
        return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -3;
    }

    TempDir dir;
    QString program;
};

TEST_F(OrdinaryUser, EachSignalSavesTheSettingsLikeClosingTheWindow) {
    for (int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        dir.write(QStringLiteral("prog/KARVEL.INI"), "Page_mode=1\r\nFileSel_mode=1\r\n");
        ::chmod(QFile::encodeName(ini()).constData(), 0640);
        giveToUser(ini());
        ASSERT_EQ(runAndStop(signalNumber), 0) << signalNumber;
        const QByteArray saved = TempDir::read(ini());
        EXPECT_TRUE(saved.startsWith("[Karvel]\r\n")) << signalNumber;
        EXPECT_TRUE(saved.contains("Page_mode= 1 \r\n")) << signalNumber;
        EXPECT_TRUE(saved.contains("FileSel_mode= 1 \r\n")) << signalNumber;
        EXPECT_EQ(modeOf(ini()), mode_t(0640)) << signalNumber;
    }
}

TEST_F(OrdinaryUser, ANewSettingsFileTakesTheUmask) {
    ASSERT_EQ(runAndStop(SIGTERM, 027), 0);
    EXPECT_TRUE(TempDir::read(ini()).startsWith("[Karvel]\r\n"));
    EXPECT_EQ(modeOf(ini()), mode_t(0640));
}

TEST_F(OrdinaryUser, AReadOnlySettingsFileIsLeftAlone) {
    dir.write(QStringLiteral("prog/KARVEL.INI"), "Page_mode=1\r\n");
    ::chmod(QFile::encodeName(ini()).constData(), 0444);
    giveToUser(ini());
    ASSERT_EQ(runAndStop(SIGTERM), 0);
    EXPECT_EQ(TempDir::read(ini()), "Page_mode=1\r\n");
    EXPECT_EQ(modeOf(ini()), mode_t(0444));
}

TEST_F(OrdinaryUser, ALinkedSettingsFileKeepsItsLinkAndItsTargetIsUpdated) {
    const QString shared = dir.file(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkpath(shared));
    const QString target = dir.write(QStringLiteral("shared/karvel.ini"), "Page_mode=1\r\n");
    giveToUser(shared);
    giveToUser(target);
    ASSERT_TRUE(QFile::link(QStringLiteral("../shared/karvel.ini"), ini()));
    giveToUser(ini());
    ASSERT_EQ(runAndStop(SIGTERM), 0);
    EXPECT_TRUE(QFileInfo(ini()).isSymLink());
    const QByteArray saved = TempDir::read(target);
    EXPECT_TRUE(saved.startsWith("[Karvel]\r\n"));
    EXPECT_TRUE(saved.contains("Page_mode= 1 \r\n"));
    EXPECT_EQ(QDir(program).entryList(QDir::Files | QDir::Hidden).size(), 2); // no leftovers
}

TEST_F(OrdinaryUser, AnUnreadableSettingsFileIsNotOverwrittenWithDefaults) {
    // Writable but not readable: only the start-up's note that it could not be read keeps it.
    dir.write(QStringLiteral("prog/KARVEL.INI"), "Page_mode=1\r\n");
    ::chmod(QFile::encodeName(ini()).constData(), 0200);
    giveToUser(ini());
    // Start-up shows why it could not read the file; the signal ends the program there.
    ASSERT_EQ(runAndStop(SIGTERM), 0);
    EXPECT_EQ(modeOf(ini()), mode_t(0200));
    ::chmod(QFile::encodeName(ini()).constData(), 0600);
    EXPECT_EQ(TempDir::read(ini()), "Page_mode=1\r\n");
}

TEST_F(OrdinaryUser, AReadOnlyProgramFolderSavesNothingSilently) {
    giveToUser(program);
    ::chmod(QFile::encodeName(program).constData(), 0555);
    ASSERT_EQ(runAndStop(SIGTERM), 0);
    EXPECT_FALSE(QFile::exists(ini()));
    ::chmod(QFile::encodeName(program).constData(), 0755);
}

} // namespace
