// The smallest Qt main window, quitting at its first paint: the start-up reference.
#include <QApplication>
#include <QMainWindow>
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
    QMainWindow window;
    QuitOnPaint quit;
    window.installEventFilter(&quit);
    window.show();
    return app.exec();
}
