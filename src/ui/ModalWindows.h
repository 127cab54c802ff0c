#pragma once
// A modal window that is minimized takes the program with it (some window managers minimize
// its owner too) and leaves nothing to click: a minimized modal dialog or message box is shown
// again at once, and whenever a window it blocks is activated, so the keyboard reaches the window
// that takes it. Where the title bar is drawn by the program (Wayland under GNOME or weston),
// it has a minimize button whatever the dialog asks for, and the platform never reports the
// window as minimized: there the program's own minimize request is caught, and the window is
// shown anew (a new surface, which the compositor maps unminimized). Installed once on the
// application, it covers every dialog, the standard ones included.
#include <QObject>

// A dialog's title bar: a caption and a close box, no minimize or maximize button.
inline constexpr Qt::WindowFlags kDialogTitleBar =
    Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

class ModalWindowsStayUp : public QObject {
  public:
    explicit ModalWindowsStayUp(QObject* parent = nullptr) : QObject(parent) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void stateChanged(Qt::WindowState state);
};
