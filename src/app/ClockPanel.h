#pragma once
// The status bar's time panel: keeps the current time by itself.
#include <QLabel>
#include <QTimer>

class ClockPanel : public QLabel {
  public:
    explicit ClockPanel(QWidget* parent = nullptr);

  private:
    void tick();
    QTimer timer_;
};
