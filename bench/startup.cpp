// Starts the real main window as the program does and quits when it has first been painted.
#include "app/frmMain.h"
#include "platform/Desktop.h"
#include "platform/Printer.h"

#include <QApplication>
#include <QTimer>

namespace {
struct QuitOnPaint : QObject {
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return false;
    }
};
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QtDesktop desktop;
    QtPrinter printer;
    frmMain window(QCoreApplication::applicationDirPath(), desktop, printer);
    window.Form_Load(QString());
    QuitOnPaint quit;
    window.installEventFilter(&quit);
    window.show();
    return app.exec();
}
