#include "OnScreen.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

QRect keptInside(QRect frame, QRect area) {
    frame.setWidth(std::min(frame.width(), area.width()));
    frame.setHeight(std::min(frame.height(), area.height()));
    frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() - frame.width() + 1));
    frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() - frame.height() + 1));
    return frame;
}

namespace {

// The index of the area that shares the most of frame; -1 when none shares any.
int mostShared(const QRect& frame, const QList<QRect>& areas) {
    int best = -1;
    qint64 most = 0;
    for (int i = 0; i < areas.size(); ++i) {
        const QRect shared = areas[i] & frame;
        if (qint64(shared.width()) * shared.height() > most) {
            most = qint64(shared.width()) * shared.height();
            best = i;
        }
    }
    return best;
}

} // namespace

QRect shownOnScreens(QRect frame, const QList<QRect>& areas) {
    if (areas.isEmpty())
        return frame;
    for (const QRect& area : areas)
        if (area.contains(frame))
            return frame;
    return keptInside(frame, areas[std::max(0, mostShared(frame, areas))]);
}

QRect restoredFrame(QRect frame, const QList<QRect>& areas, int inset, int shrink) {
    if (areas.isEmpty())
        return frame;
    const QRect area = areas[std::max(0, mostShared(frame, areas))];
    if (frame.top() > area.bottom())
        frame.setRect(frame.left(), area.top() + inset, frame.width(), area.height() - shrink);
    if (frame.left() > area.right())
        frame.setRect(area.left() + inset, frame.top(), area.width() - shrink, frame.height());
    return shownOnScreens(frame, areas);
}

QMargins frameMargins(const QWidget* window, const QWidget* owner) {
    const auto margins = [](const QWidget* w) {
        const QRect f = w->frameGeometry(), g = w->geometry();
        return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                        f.bottom() - g.bottom());
    };
    if (window->testAttribute(Qt::WA_WState_Created) && window->isVisible() &&
        !margins(window).isNull())
        return margins(window);
    if (owner && owner->window()->isVisible() && !margins(owner->window()).isNull())
        return margins(owner->window());
    const int border = 4;
    return {border, window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border,
            border};
}

namespace {

// A created window whose frame Qt does not know yet is placed by its client area.
bool placedByClientArea(const QWidget* window) {
    return window->testAttribute(Qt::WA_WState_Created) &&
           window->frameGeometry() == window->geometry();
}

} // namespace

QPoint frameCorner(const QWidget* window, const QWidget* owner) {
    if (!placedByClientArea(window))
        return window->pos();
    const QMargins m = frameMargins(window, owner);
    return window->pos() - QPoint(m.left(), m.top());
}

void moveFrameTo(QWidget* window, QPoint corner, const QWidget* owner) {
    // Qt's own placing by the frame before the frame is known is not kept to by every
    // platform: the window is created first, and placed by its client area.
    window->winId();
    if (!placedByClientArea(window)) {
        window->move(corner);
        return;
    }
    const QMargins m = frameMargins(window, owner);
    window->move(corner + QPoint(m.left(), m.top()));
}

void keepOnScreen(QWidget* window, const QWidget* owner) {
    // The screen the owner shows the most of.
    const QList<QScreen*> screens = QGuiApplication::screens();
    QList<QRect> areas;
    for (const QScreen* s : screens)
        areas.append(s->geometry());
    const int most = mostShared((owner ? owner->window() : window)->frameGeometry(), areas);
    const QScreen* screen = most >= 0 ? screens[most] : (owner ? owner : window)->screen();
    if (!screen)
        return;
    const QMargins m = frameMargins(window, owner);
    const QRect frame(frameCorner(window, owner), window->size().grownBy(m));
    const QRect kept = keptInside(frame, screen->availableGeometry());
    if (kept.topLeft() != frame.topLeft())
        moveFrameTo(window, kept.topLeft(), owner);
}

QList<QRect> availableAreas() {
    QList<QRect> areas;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        areas.append(primary->availableGeometry());
    for (const QScreen* s : QGuiApplication::screens())
        if (s != QGuiApplication::primaryScreen())
            areas.append(s->availableGeometry());
    return areas;
}

bool windowPositionsKnown() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
