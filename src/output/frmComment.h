#pragma once
// The comment dialog: one typed line, printed onto the current page or written to a file in
// the encoding and with the line end of the document in the list.
#include "PrintRows.h"
#include "text/TextFormat.h"
#include "ui/FixedDialog.h"

class Desktop;
class LongWork;
class Printer;
class QLineEdit;
struct IniSettingsRecord;

class frmComment : public FixedDialog {
    Q_OBJECT
  public:
    frmComment(QWidget* mainWindow, const IniSettingsRecord& settings, Printer& printer,
               const QFont& listFont, const PrintMargins& margins, Desktop& desktop, LongWork& work,
               TextFormat documentFormat = {});
    QLineEdit* txtComment;

  public slots:
    void cmdPrint_Click();
    void cmdFile_Click();
    void cmdCancel_Click() { close(); }

  private:
    const IniSettingsRecord& settings_;
    Printer& printer_;
    QString fontFamily_;
    double fontSize_;
    PrintMargins margins_;
    Desktop& desktop_;
    LongWork& work_;
    TextFormat format_;
};
