// The smallest Qt main window, quitting at its first paint: the start-up reference.
#include "QuitOnFirstPaint.h"
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    QuitOnFirstPaint quit;
    window.installEventFilter(&quit);
    window.show();
    return app.exec();
}
