#pragma once
// Makes a window the active one, so the keyboard focus can be in it. On a compositor without a
// seat (the headless Wayland run) no window is ever activated: there it is made active as far
// as the program can tell.
#include <QApplication>
#include <QTest>

inline void activate(QWidget& w) {
    w.activateWindow();
    if (!QTest::qWaitFor([&] { return w.isActiveWindow(); }, 1000))
        QApplication::setActiveWindow(&w);
}
