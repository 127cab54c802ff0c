#pragma once
// Acts on the next modal dialog once it is shown: tests drive exec()'d dialogs with it.
#include <QApplication>
#include <QTimer>
#include <functional>

inline void whenModalShown(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}
