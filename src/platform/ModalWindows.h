#pragma once
// A modal window that is minimized takes the program with it (some window managers minimize
// its owner too) and leaves nothing to click: a minimized modal dialog or message box is shown
// again at once. Installed once on the application, it covers every dialog, the standard ones
// included.
#include <QObject>

class ModalWindowsStayUp : public QObject {
  public:
    explicit ModalWindowsStayUp(QObject* parent = nullptr) : QObject(parent) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
