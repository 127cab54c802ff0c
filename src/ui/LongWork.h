#pragma once
// The one owner of long work (loading, searching, printing, writing): it knows whether work
// runs, shows the work's progress window through the desktop port (where the person may press
// キャンセル), and takes the program's request to stop. One piece of work runs at a time,
// whichever window starts it.
#include "system/Progress.h"

#include <QObject>
#include <functional>

class Desktop;
class QWidget;

class LongWork : public QObject {
    Q_OBJECT
  public:
    explicit LongWork(Desktop& desktop, QObject* parent = nullptr);

    // Runs work with the busy pointer and a progress window over parent that says label.
    // False, and nothing runs, while other work runs or once the program is ending.
    bool run(QWidget* parent, const QString& label, const std::function<void(Progress&)>& work);
    bool running() const { return running_; }

    // The program is ending: the running work stops at its next report (a row being printed is
    // finished first, so no printed line is cut) and no new work starts. finished() tells when
    // the work has unwound.
    void stop() { stopping_ = true; }
    bool stopping() const { return stopping_; }

  signals:
    void finished();

  private:
    Desktop& desktop_;
    bool running_ = false;
    bool stopping_ = false;
};
