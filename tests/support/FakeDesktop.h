#pragma once
// Stands where the person sits: answers the common dialogs from a script and records the
// message boxes it is shown.
#include "ui/Desktop.h"

#include <QFont>
#include <QStringList>
#include <functional>
#include <optional>

// Answers "go on" n times, then "stop" from then on (never, for n < 0).
class CancellingProgress : public Progress {
  public:
    explicit CancellingProgress(int n, std::function<void()> meanwhile = {})
        : n_(n), meanwhile_(std::move(meanwhile)) {}
    bool advance(std::uint64_t, std::uint64_t) override {
        ++calls;
        if (meanwhile_)
            meanwhile_(); // what else happens while the work runs
        return n_ < 0 || calls <= n_;
    }
    int calls = 0;

  private:
    int n_;
    std::function<void()> meanwhile_;
};

class FakeDesktop : public Desktop {
  public:
    struct Message {
        QString title;
        QString text;
    };
    QList<Message> messages;
    QStringList openAnswers; // taken in order; "" is Cancel
    QStringList saveAnswers;
    QStringList saveTitles;          // the titles the save dialog was shown with
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
    int printerSetups = 0;
    // What the person does in printer setup: changes the printer it shows, then OK (true) or
    // Cancel (false).
    std::function<bool(QPrinter&)> setupAnswer = [](QPrinter&) { return false; };
    bool printerSetup(QWidget*, QPrinter& printer) override {
        ++printerSetups;
        return setupAnswer(printer);
    }
    QStringList started;   // "program arg..." of every start
    QString startError;    // when set, starting fails with it
    int startExitCode = 0; // what a started program ends with
    bool startDetached(const QString& program, const QStringList& args, QString* error,
                       std::function<void(int)> failed) override {
        started << (QStringList{program} + args).join(QLatin1Char(' '));
        if (!startError.isEmpty())
            *error = startError;
        else if (startExitCode != 0 && failed)
            failed(startExitCode);
        return startError.isEmpty();
    }
    QStringList helpShown; // the files
    ErrorCode helpError;   // what reading the help file fails with
    ErrorCode showHelpFile(QWidget*, const QString&, const QString& path) override {
        helpShown << path;
        return helpError;
    }
    // Long work: the person presses Cancel once it has reported cancelAfter times (-1: never).
    int cancelAfter = -1;
    std::function<void()> duringWork;
    QStringList progressLabels;
    std::unique_ptr<Progress> progress(QWidget*, const QString& label) override {
        progressLabels << label;
        return std::make_unique<CancellingProgress>(cancelAfter, duringWork);
    }
};
