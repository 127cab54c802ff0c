#pragma once
// The desktop port on Qt: its message boxes and file and print dialogs, the program's own font
// chooser, a help window and the progress window.
#include "Desktop.h"
#include "ProgressWindow.h"

// "label|patterns|label|patterns|" as the file dialogs take it, turned into Qt's name
// filters. "*.*" means every file; patterns match in either case.
QStringList qtNameFilters(const QString& filter);

class QtDesktop : public Desktop {
  public:
    void exclamation(QWidget* parent, const QString& title, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& filter) override;
    QFont chooseFont(QWidget* parent, const QFont& font) override;
    bool printerSetup(QWidget* parent, QPrinter& printer) override;
    bool startDetached(const QString& program, const QStringList& arguments, QString* error,
                       std::function<void(int)> failed = {}) override;
    ErrorCode showHelpFile(QWidget* parent, const QString& title, const QString& path) override;
    std::unique_ptr<Progress> progress(QWidget* parent, const QString& label) override {
        return std::make_unique<QtProgress>(parent, label);
    }

  private:
    QString lastFolder_; // where the open and save dialogs start, as last used this session
};
