#pragma once
// The status bar's time panel: keeps the current time by itself.
#include <QLabel>
#include <QTimer>

class ClockPanel : public QLabel {
  public:
    explicit ClockPanel(QWidget* parent = nullptr);
    // The widest text the panel shows in these metrics.
    static QString widestTime(const QFontMetrics& metrics);

  private:
    void tick();
    QTimer timer_;
};
