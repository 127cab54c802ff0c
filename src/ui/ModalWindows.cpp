#include "ModalWindows.h"

#include "OnScreen.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

// After the window system has finished whatever it was doing with the window.
void bringBack(QWidget* window) {
    QTimer::singleShot(0, window, [window] {
        if (!window->isVisible())
            return;
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        if (!windowPositionsKnown()) {
            // Shown again on the window level only: the dialog's own hiding would end it.
            window->windowHandle()->setVisible(false);
            window->windowHandle()->setVisible(true);
            return;
        }
        window->show();
        window->raise();
        window->activateWindow();
    });
}

} // namespace

void ModalWindowsStayUp::stateChanged(Qt::WindowState state) {
    auto* handle = qobject_cast<QWindow*>(sender());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (state == Qt::WindowMinimized && w->windowHandle() == handle && w->isModal())
            bringBack(w);
}

bool ModalWindowsStayUp::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto* window = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::WindowStateChange:
        if (windowPositionsKnown() && window->isWindow() && window->isModal() &&
            window->isMinimized())
            bringBack(window);
        break;
    case QEvent::Show:
        // Where the platform does not report minimizing, the request itself is watched.
        if (!windowPositionsKnown() && window->isWindow() && window->isModal() &&
            window->windowHandle())
            connect(window->windowHandle(), &QWindow::windowStateChanged, this,
                    &ModalWindowsStayUp::stateChanged, Qt::UniqueConnection);
        break;
    case QEvent::WindowActivate:
        if (QWidget* modal = QApplication::activeModalWidget();
            modal && window->isWindow() && window != modal && !modal->isAncestorOf(window) &&
            !(window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip))
            bringBack(modal);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
