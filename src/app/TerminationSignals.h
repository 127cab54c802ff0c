#pragma once
// SIGTERM (a window manager's "End process", logout), SIGHUP and SIGINT, brought into the
// event loop as a Qt signal: the handler only writes the signal's number to a pipe, which a
// socket notifier reads on the window's thread.
#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // Gives the signals back their default action.
    ~TerminationSignals() override;

  signals:
    void terminationRequested(int signalNumber);

  private:
    void readPipe();
    QSocketNotifier* notifier_ = nullptr;
};
