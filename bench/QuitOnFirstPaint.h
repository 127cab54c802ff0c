#pragma once
// Ends the event loop once the watched window has first been painted. The loop is left without
// closing the windows, so what a window does when it is closed (the program saves its
// settings) is not counted as start-up.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

struct QuitOnFirstPaint : QObject {
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        return false;
    }
};
