#include "SessionEnd.h"

#include "frmMain.h"
#include "ui/ProgressWindow.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QThread>
#include <QTimer>

SessionEnd::SessionEnd(frmMain& window) : window_(window) {
    connect(&signals_, &TerminationSignals::terminationRequested, this, &SessionEnd::terminate);
    // The session manager may still cancel the logout: this saves, and the program goes on.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { window_.saveSession(); });
}

void SessionEnd::terminate() {
    if (terminated_)
        return;
    if (window_.isWorking()) {
        // Long work stops at its next piece and unwinds first, so that what it drew or wrote is
        // kept whole and nothing starts a new page after the document is ended.
        QtProgress::stopAll();
        QTimer::singleShot(10, this, &SessionEnd::terminate);
        return;
    }
    terminated_ = true;
    window_.saveSession();
    // Every event loop ends, a modal dialog's as well as the main one (outside any loop, exit
    // would stop every loop started later instead).
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}
