#include "ClockPanel.h"

#include <QTime>

ClockPanel::ClockPanel(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("Clock"));
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(&timer_, &QTimer::timeout, this, &ClockPanel::tick);
    tick();
}

void ClockPanel::tick() {
    const QTime now = QTime::currentTime();
    setText(now.toString(QStringLiteral("H:mm")));
    // Wake up just after the next minute begins.
    timer_.start(60000 - (now.second() * 1000 + now.msec()) + 50);
}

QString ClockPanel::widestTime(const QFontMetrics& metrics) {
    QChar widest = QLatin1Char('0');
    for (char d = '1'; d <= '9'; ++d)
        if (metrics.horizontalAdvance(QLatin1Char(d)) > metrics.horizontalAdvance(widest))
            widest = QLatin1Char(d);
    return QString(2, widest) + QLatin1Char(':') + QString(2, widest);
}
