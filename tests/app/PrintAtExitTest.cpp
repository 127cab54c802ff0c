// The open print document is never lost: closing the window ends it against a real print system
// (the page goes as a job, or, where it cannot, a message says where its lines were kept), and a
// run that is killed with a page open has it ended by the next start.
#include "app/frmMain.h"
#include "printing/QtPrinter.h"
#include "support/FakeDesktop.h"
#include "support/PdfText.h"
#include "support/PrivateCups.h"
#include "support/TempDir.h"

#include <QAction>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TEST(PrintAtExit, TheOpenPageIsPrintedOrKeptWithAMessage) {
    PrivateCups cups;
    if (!cups.available())
        GTEST_SKIP() << "a private CUPS daemon needs cupsd and root";
    ASSERT_TRUE(cups.addQueue(QStringLiteral("virtual")));
    cups.command(QStringLiteral("lpadmin"), {QStringLiteral("-d"), QStringLiteral("virtual")});
    TempDir dir;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(dir.path()));
    for (const bool rejecting : {false, true}) {
        cups.command(rejecting ? QStringLiteral("cupsreject") : QStringLiteral("cupsaccept"),
                     {QStringLiteral("virtual")});
        const qsizetype jobsBefore = cups.jobs().size();
        FakeDesktop desktop;
        QtPrinter printer;
        frmMain w(dir.path(), desktop, printer);
        w.Form_Load(dir.write(QStringLiteral("in.txt"), "alpha\r\nbeta\r\n"));
        w.show();
        w.LineList.setRangeSelected(0, 1, true);
        w.findChild<QAction*>(QStringLiteral("mnuFilePrint"))->trigger();
        ASSERT_TRUE(desktop.messages.isEmpty());
        ASSERT_EQ(cups.jobs().size(), jobsBefore); // the page is still open
        w.close();
        if (!rejecting) {
            ASSERT_EQ(cups.jobs().size(), jobsBefore + 1);
            EXPECT_TRUE(pdfToText(cups.jobs().last().document).contains("beta"));
            EXPECT_TRUE(desktop.messages.isEmpty());
        } else {
            EXPECT_EQ(cups.jobs().size(), jobsBefore);
            ASSERT_EQ(desktop.messages.size(), 1);
            ASSERT_EQ(printer.writtenFiles().size(), 1);
            EXPECT_TRUE(desktop.messages[0].text.contains(printer.writtenFiles()[0]));
            EXPECT_TRUE(pdfToText(printer.writtenFiles()[0]).contains("beta"));
        }
    }
    qputenv("HOME", oldHome);
}

QString squeezedText(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC)
        .remove(QRegularExpression(QStringLiteral("\\s")));
}

// Killed with a page open (to PDF files in pdfDirectory, or "-" for the default printer): the
// process dies by the signal, having made no document yet.
void printThenDie(const QString& file, const QString& pdfDirectory) {
    QProcess killed;
    killed.start(QStringLiteral(KARVEL_PRINT_THEN_DIE),
                 {file, pdfDirectory, QStringLiteral("kill")});
    ASSERT_TRUE(killed.waitForFinished(60000));
    ASSERT_EQ(killed.exitStatus(), QProcess::CrashExit) << killed.exitCode();
}

// The next start ejects the page as the killed run's end would have, and says where; a page
// that another running copy holds is left to it, and a page is ejected once only.
TEST(OpenPage, ARunKilledWithAPageOpenHasItEjectedAtTheNextStart) {
    TempDir dir;
    const QString rows = QStringLiteral(KARVEL_ENCODING_CORPUS "/faq-3lines.cp932.lf.txt");
    QProcess holder;
    holder.start(QStringLiteral(KARVEL_PRINT_THEN_DIE),
                 {dir.write(QStringLiteral("held.txt"), "held by a running copy\n"), dir.path(),
                  QStringLiteral("wait")});
    ASSERT_TRUE(holder.waitForReadyRead(60000));
    printThenDie(rows, dir.path());
    ASSERT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.pdf")}).isEmpty());

    FakeDesktop desktop;
    QtPrinter printer(dir.path());
    frmMain w(dir.path(), desktop, printer);
    w.Form_Load(QString());
    ASSERT_EQ(desktop.messages.size(), 1);
    ASSERT_EQ(printer.writtenFiles().size(), 1);
    const QString pdf = printer.writtenFiles()[0];
    EXPECT_TRUE(desktop.messages[0].text.contains(pdf)) << desktop.messages[0].text.toStdString();
    const QString printed = squeezedText(pdfToText(pdf));
    const QStringList lines =
        runTool(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("cp932"), rows})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    for (const QString& line : lines)
        EXPECT_TRUE(printed.contains(squeezedText(line))) << line.toStdString();
    EXPECT_FALSE(printed.contains(QStringLiteral("heldby")));

    frmMain again(dir.path(), desktop, printer);
    again.Form_Load(QString());
    EXPECT_EQ(desktop.messages.size(), 1);
    holder.kill();
    holder.waitForFinished();
}

} // namespace
