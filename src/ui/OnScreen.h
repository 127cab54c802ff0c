#pragma once
// Windows kept where the user can see them: on the available area of a screen (inside panels
// and docks), whole, with their frame.
#include <QList>
#include <QMargins>
#include <QRect>

class QWidget;

// frame moved the least way that puts it inside area; a frame larger than area is also made
// smaller, to area's size.
QRect keptInside(QRect frame, QRect area);

// A saved window frame as it is shown at start-up: unchanged when it lies whole on one screen's
// available area, otherwise kept inside the area of the screen it overlaps most (the first one,
// the primary screen, when it overlaps none).
QRect shownOnScreens(QRect frame, const QList<QRect>& areas);

// A saved window frame as it comes back at start-up. The settings' own rule first: a top beyond
// the bottom edge of the screen the frame belongs to (the one it overlaps most, else the first)
// comes back inset below that screen's top, as tall as the screen less shrink; likewise a left
// beyond its right edge. Then shownOnScreens.
QRect restoredFrame(QRect frame, const QList<QRect>& areas, int inset, int shrink);

// The frame around window's client area: the window manager's once the window is shown,
// estimated from the owner's frame (or the style's title bar) before.
QMargins frameMargins(const QWidget* window, const QWidget* owner);

// Where the top-left corner of a top-level window's frame is (not yet shown: will be), and
// moving the window so that its frame's corner goes to a point. Before the window manager has
// framed it, a created window is placed by its client area, the frame estimated as
// frameMargins says.
QPoint frameCorner(const QWidget* window, const QWidget* owner);
void moveFrameTo(QWidget* window, QPoint corner, const QWidget* owner);

// Moves a top-level window (not yet shown or shown) inside the available area of the screen its
// owner is on, or its own screen without an owner.
void keepOnScreen(QWidget* window, const QWidget* owner);

// The available areas of all screens, the primary screen's first.
QList<QRect> availableAreas();

// Whether the platform reports where a top-level window is and lets a program place one. Wayland
// does neither: the compositor places windows and a program only learns their size.
bool windowPositionsKnown();
