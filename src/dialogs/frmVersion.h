#pragma once
// The About dialog.
#include "platform/FixedDialog.h"

class frmVersion : public FixedDialog {
    Q_OBJECT
  public:
    explicit frmVersion(QWidget* mainWindow);

  public slots:
    void cmdOk_Click() { close(); }
};
