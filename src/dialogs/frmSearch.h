#pragma once
// The search dialog: the search string follows every edit, whether or not OK is pressed.
#include "ui/FixedDialog.h"

class QLineEdit;

class frmSearch : public FixedDialog {
    Q_OBJECT
  public:
    frmSearch(QWidget* mainWindow, QString& searchStr);
    QLineEdit* txtSearch;
    bool SearchOk = false;

  public slots:
    void cmdOk_Click();
    void cmdCancel_Click() { close(); }

  private:
    QString& searchStr_;
    QPushButton* cmdOk_;
};
