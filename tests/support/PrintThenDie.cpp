// The main window printing onto a page it never ejects, as a process of its own:
//   print_then_die FILE PDF_DIRECTORY|- kill|wait
// Opens FILE, selects every row, prints them (to PDF files in PDF_DIRECTORY, or with "-" to the
// default printer), then either kills itself with SIGKILL or says "printed" on standard output
// and waits to be killed, holding its open page.
#include "app/ApplicationSetup.h"
#include "app/frmMain.h"
#include "printing/QtPrinter.h"
#include "support/FakeDesktop.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    QApplication app(argc, argv);
    setUpApplication();
    FakeDesktop desktop;
    const QString pdfDirectory = QFile::decodeName(argv[2]);
    QtPrinter printer(pdfDirectory == QStringLiteral("-") ? QString() : pdfDirectory);
    frmMain window(QDir::tempPath(), desktop, printer);
    window.Form_Load(QFile::decodeName(argv[1]));
    window.LineList.setRangeSelected(0, window.LineCount() - 1, true);
    window.findChild<QAction*>(QStringLiteral("mnuFilePrint"))->trigger();
    if (!desktop.messages.isEmpty())
        return 10;
    if (QByteArray(argv[3]) == "kill")
        ::raise(SIGKILL);
    std::puts("printed");
    std::fflush(stdout);
    ::pause();
    return 0;
}
