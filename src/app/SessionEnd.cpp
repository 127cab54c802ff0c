#include "SessionEnd.h"

#include "frmMain.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QThread>

SessionEnd::SessionEnd(frmMain& window) : window_(window) {
    connect(&signals_, &TerminationSignals::terminationRequested, this, &SessionEnd::terminate);
    // The session manager may still cancel the logout: this saves, and the program goes on.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        if (window_.longWork().running())
            terminate(); // the session ends: the work stops, then the program saves and ends
        else
            window_.saveSession();
    });
}

void SessionEnd::terminate() {
    if (terminated_)
        return;
    LongWork& work = window_.longWork();
    work.stop(); // the running work stops at its next report, and nothing starts after it
    if (work.running()) {
        // Once the work has unwound, and the command that ran it has kept what it keeps, the
        // program saves and ends.
        if (!pending_)
            connect(&work, &LongWork::finished, this, &SessionEnd::terminate,
                    Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
        pending_ = true;
        return;
    }
    pending_ = false;
    terminated_ = true;
    window_.saveSession();
    // Every event loop ends, a modal dialog's as well as the main one (outside any loop, exit
    // would stop every loop started later instead).
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}
