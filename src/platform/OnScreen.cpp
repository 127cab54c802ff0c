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

QRect shownOnScreens(QRect frame, const QList<QRect>& areas) {
    if (areas.isEmpty())
        return frame;
    const QRect* best = &areas.front();
    qint64 bestShared = 0;
    for (const QRect& area : areas) {
        if (area.contains(frame))
            return frame;
        const QRect shared = area & frame;
        const qint64 size = qint64(shared.width()) * shared.height();
        if (!shared.isEmpty() && size > bestShared) {
            best = &area;
            bestShared = size;
        }
    }
    return keptInside(frame, *best);
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

void keepOnScreen(QWidget* window, const QWidget* owner) {
    // The screen the owner shows the most of.
    const QScreen* screen = (owner ? owner : window)->screen();
    qint64 most = 0;
    const QRect there = owner ? owner->window()->frameGeometry() : window->frameGeometry();
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect shared = s->geometry() & there;
        if (qint64(shared.width()) * shared.height() > most) {
            most = qint64(shared.width()) * shared.height();
            screen = s;
        }
    }
    if (!screen)
        return;
    const QMargins m = frameMargins(window, owner);
    // pos() is where the frame's corner goes.
    const QRect frame(window->pos(), window->size().grownBy(m));
    const QRect kept = keptInside(frame, screen->availableGeometry());
    if (kept.topLeft() != frame.topLeft())
        window->move(kept.topLeft());
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
