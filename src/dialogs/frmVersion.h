#pragma once
// The About dialog.
#include "ui/FixedDialog.h"

class frmVersion : public FixedDialog {
    Q_OBJECT
  public:
    explicit frmVersion(QWidget* mainWindow);

  public slots:
    void cmdOk_Click() { close(); }
};
