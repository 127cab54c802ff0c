#include "SessionEnd.h"

#include "frmMain.h"

#include <QGuiApplication>
#include <QSessionManager>

SessionEnd::SessionEnd(frmMain& window) : window_(window) {
    connect(&signals_, &TerminationSignals::terminationRequested, this, &SessionEnd::terminate);
    // The session manager may still cancel the logout: this saves, and the program goes on.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { window_.saveSession(); });
}

void SessionEnd::terminate() {
    if (terminated_)
        return;
    terminated_ = true;
    window_.saveSession();
    // Every event loop ends, a modal dialog's as well as the main one.
    QCoreApplication::exit(0);
}
