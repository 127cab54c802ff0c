#pragma once
// The system settings dialog: each click stores its mode at once; OK only closes.
#include "ui/FixedDialog.h"

class QRadioButton;
struct IniSettingsRecord;

class frmSystemSet : public FixedDialog {
    Q_OBJECT
  public:
    frmSystemSet(QWidget* mainWindow, IniSettingsRecord& settings);
    QRadioButton* optAppendMode[2];
    QRadioButton* optPageMode[2];
    QRadioButton* optFileSelMode[2];

  public slots:
    void optAppendMode_Click(int index);
    void optPageMode_Click(int index);
    void optFileSelMode_Click(int index);
    void cmdOk_Click() { close(); }

  private:
    void Form_Load();
    IniSettingsRecord& settings_;
};
