#pragma once
// Told to stop from outside (SIGTERM, SIGHUP, SIGINT, or the desktop session ending), the
// program keeps what closing the window keeps, then ends.
#include "app/TerminationSignals.h"

#include <QObject>

class frmMain;

class SessionEnd : public QObject {
    Q_OBJECT
  public:
    explicit SessionEnd(frmMain& window);
    // Whether a signal ended the program (the event loop then need not be started).
    bool terminated() const { return terminated_; }

  private:
    void terminate();
    frmMain& window_;
    TerminationSignals signals_;
    bool terminated_ = false;
};
