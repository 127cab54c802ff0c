#include "ApplicationSetup.h"
#include "frmMain.h"
#include "platform/Desktop.h"
#include "platform/Printer.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    setUpApplication();
    // The one optional argument is taken whole: several words make one file name.
    const QString commandLine = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    QtDesktop desktop;
    QtPrinter printer;
    frmMain window(QCoreApplication::applicationDirPath(), desktop, printer);
    window.Form_Load(commandLine);
    window.show();
    return app.exec();
}
