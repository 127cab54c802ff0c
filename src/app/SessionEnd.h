#pragma once
// Told to stop from outside (SIGTERM, SIGHUP, SIGINT, or the desktop session ending), the
// program keeps what closing the window keeps, then ends. Long work that runs then is asked to
// stop first, and the program waits for it to unwind, so that what it drew or wrote is kept
// whole and a name the person confirmed is saved.
#include "app/TerminationSignals.h"

#include <QObject>

class frmMain;

class SessionEnd : public QObject {
    Q_OBJECT
  public:
    explicit SessionEnd(frmMain& window);
    // Whether a signal ended the program (the event loop then need not be started).
    bool terminated() const { return terminated_; }
    // Whether the program was told to end and is waiting for long work to unwind.
    bool pending() const { return pending_; }
    // Saves and ends now, or once the running work has unwound.
    void terminate();

  private:
    frmMain& window_;
    TerminationSignals signals_;
    bool pending_ = false;
    bool terminated_ = false;
};
