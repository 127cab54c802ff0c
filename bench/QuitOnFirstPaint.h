#pragma once
// Ends the application once the watched window has first been painted.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

struct QuitOnFirstPaint : QObject {
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return false;
    }
};
