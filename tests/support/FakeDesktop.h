#pragma once
// Stands where the person sits: answers the common dialogs from a script and records the
// message boxes it is shown.
#include "platform/Desktop.h"

#include <QFont>
#include <QStringList>
#include <optional>

class FakeDesktop : public Desktop {
  public:
    struct Message {
        QString title;
        QString text;
    };
    QList<Message> messages;
    QStringList openAnswers; // taken in order; "" is Cancel
    QStringList saveAnswers;
    QStringList saveTitles;  // the titles the save dialog was shown with
    std::optional<QFont> fontAnswer; // nullopt: Cancel

    void exclamation(QWidget*, const QString& title, const QString& text) override {
        messages.append({title, text});
    }
    QString openFileName(QWidget*, const QString&) override {
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString saveFileName(QWidget*, const QString& title, const QString&) override {
        saveTitles << title;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    QFont chooseFont(QWidget*, const QFont& font) override { return fontAnswer.value_or(font); }
};
