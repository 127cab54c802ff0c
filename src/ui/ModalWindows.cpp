#include "ModalWindows.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

bool ModalWindowsStayUp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        if (window->isWindow() && window->isModal() && window->isMinimized()) {
            // After the window system has finished minimizing it.
            QTimer::singleShot(0, window, [window] {
                window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
                window->show();
                window->raise();
                window->activateWindow();
            });
        }
    }
    return QObject::eventFilter(watched, event);
}
