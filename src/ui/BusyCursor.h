#pragma once
#include <QApplication>

// The hourglass while a command's work runs (loading, searching, printing, writing); the default
// pointer again afterwards, however the command ends.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
