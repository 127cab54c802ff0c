// The smallest Qt main window, quitting at its first paint: the start-up reference. Built a
// second time showing one Japanese menu caption, to tell what drawing any Japanese text costs.
#include "QuitOnFirstPaint.h"
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
#ifdef KARVEL_JAPANESE_CAPTION
    window.menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
#endif
    QuitOnFirstPaint quit;
    window.installEventFilter(&quit);
    window.show();
    return app.exec();
}
