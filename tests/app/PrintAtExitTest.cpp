// Closing the window ends the open print document against a real print system: the page goes
// as a job, or, where it cannot, a message says where its lines were kept.
#include "app/frmMain.h"
#include "printing/QtPrinter.h"
#include "support/FakeDesktop.h"
#include "support/PdfText.h"
#include "support/PrivateCups.h"
#include "support/TempDir.h"

#include <QAction>
#include <QDir>
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

} // namespace
