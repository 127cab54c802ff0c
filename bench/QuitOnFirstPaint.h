#pragma once
// Ends the event loop once the watched window has first been painted, and writes the moment of
// that paint (milliseconds of the steady clock) to standard output for the benchmark. The loop
// is left without closing the windows, so what a window does when it is closed (the program
// saves its settings) is not counted as start-up.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdio>

struct QuitOnFirstPaint : QObject {
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && !painted) {
            painted = true;
            using namespace std::chrono;
            std::printf(
                "%.3f\n",
                duration<double, std::milli>(steady_clock::now().time_since_epoch()).count());
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }
    bool painted = false;
};
