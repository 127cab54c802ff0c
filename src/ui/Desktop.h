#pragma once
// The port through which the program meets the person at the desk: message boxes, the common
// dialogs, the help window, the progress of long work and other programs it starts. The Qt
// implementation shows real windows; tests answer them.
#include "system/Progress.h"
#include "system/RuntimeError.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;
class QFont;
class QPrinter;

class Desktop {
  public:
    virtual ~Desktop() = default;

    // A message box with the exclamation icon and one OK button.
    virtual void exclamation(QWidget* parent, const QString& title, const QString& text) = 0;

    // The open-file dialog for one file; the chosen name, or "" when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& filter) = 0;

    // The save dialog: no name proposed, no question before replacing a file.
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& filter) = 0;

    // The font dialog, pre-set with font; returns the font the dialog ends with (on Cancel,
    // the pre-set font).
    virtual QFont chooseFont(QWidget* parent, const QFont& font) = 0;

    // The printer setup dialog (printer, paper, orientation, copies, pages) on printer; true
    // when the person took what it shows (OK), false on Cancel.
    virtual bool printerSetup(QWidget* parent, QPrinter& printer) = 0;

    // Starts a program and returns at once, without waiting for it to start or to end; false
    // with *error set when it cannot be started at all (it is not found). When it turns out
    // later that it could not be executed, or it ends with a failure, failed receives its exit
    // code (-1: it could not be executed, or it crashed), on the window's thread.
    virtual bool startDetached(const QString& program, const QStringList& arguments, QString* error,
                               std::function<void(int)> failed = {}) = 0;

    // Shows the HTML help file at path in a window of its own. Returns the error that kept the
    // file from being read, if any (nothing is shown then).
    virtual ErrorCode showHelpFile(QWidget* parent, const QString& title, const QString& path) = 0;

    // Follows one piece of long work; label says what it does.
    virtual std::unique_ptr<Progress> progress(QWidget* parent, const QString& label) = 0;
};

// The file types the open and save dialogs offer: all files first, then text files.
inline QString textFileFilter() {
    return QStringLiteral("全ファイル(*.*)|*.*|テキスト(*.TXT;DOC)|*.TXT;*.DOC|");
}
