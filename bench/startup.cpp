// Starts the real main window as the program does and quits when it has first been painted.
#include "app/ApplicationSetup.h"
#include "app/frmMain.h"
#include "platform/Desktop.h"
#include "platform/Printer.h"

#include "QuitOnFirstPaint.h"
#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    setUpApplication();
    QtDesktop desktop;
    QtPrinter printer;
    frmMain window(QCoreApplication::applicationDirPath(), desktop, printer);
    window.Form_Load(QString());
    QuitOnFirstPaint quit;
    window.installEventFilter(&quit);
    window.show();
    return app.exec();
}
