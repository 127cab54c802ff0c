#pragma once
// The output-file-name dialog: offers the remembered output file, writes the selected rows to
// it on OK, and remembers the name only after a successful write.
#include "ui/FixedDialog.h"

class Desktop;
class LongWork;
class LineStore;
class QLineEdit;
struct IniSettingsRecord;

class frmSelFileName : public FixedDialog {
    Q_OBJECT
  public:
    frmSelFileName(QWidget* mainWindow, IniSettingsRecord& settings, const LineStore& rows,
                   Desktop& desktop, LongWork& work);
    QLineEdit* txtSelFileName;

  public slots:
    void cmdChange_Click();
    void cmdOk_Click();
    void cmdCancel_Click() { close(); }

  private:
    void Form_Load();
    IniSettingsRecord& settings_;
    const LineStore& rows_;
    Desktop& desktop_;
    LongWork& work_;
    QPushButton* cmdOk_;
};
