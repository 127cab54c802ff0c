#include "frmSelFileName.h"

#include "OutputRules.h"
#include "settings/IniSettings.h"
#include "system/FileIO.h"
#include "ui/Desktop.h"
#include "ui/LongWork.h"

#include <QLineEdit>
#include <QPushButton>

frmSelFileName::frmSelFileName(QWidget* mainWindow, IniSettingsRecord& settings,
                               const LineStore& rows, Desktop& desktop, LongWork& work)
    : FixedDialog(mainWindow, QStringLiteral("出力先ファイル名"), 5355, 1035, true),
      settings_(settings), rows_(rows), desktop_(desktop), work_(work) {
    setObjectName(QStringLiteral("frmSelFileName"));
    txtSelFileName = addTextBox("txtSelFileName", {120, 120, 4215, 270});
    txtSelFileName->setAccessibleName(windowTitle()); // no prompt beside it: the title names it
    cmdOk_ = addButton("cmdOk", QStringLiteral("OK"), {3360, 600, 975, 375});
    auto* cancel = addButton("cmdCancel", QStringLiteral("Cancel"), {4440, 600, 855, 375});
    auto* change = addButton("cmdChange", QStringLiteral("変更..."), {4440, 100, 855, 310});
    setTabOrder(txtSelFileName, cmdOk_);
    setTabOrder(cmdOk_, cancel);
    setTabOrder(cancel, change);
    connect(cmdOk_, &QPushButton::clicked, this, &frmSelFileName::cmdOk_Click);
    connect(cancel, &QPushButton::clicked, this, &frmSelFileName::cmdCancel_Click);
    connect(change, &QPushButton::clicked, this, &frmSelFileName::cmdChange_Click);
    enterMovesFocus(txtSelFileName, cmdOk_);
    Form_Load();
}

void frmSelFileName::Form_Load() {
    txtSelFileName->setText(settings_.SelFileName);
    placeBesideMainWindow(100);
}

void frmSelFileName::cmdChange_Click() {
    const QString name =
        fileNameOnDisk(desktop_.saveFileName(this, outputDialogTitle(), textFileFilter()));
    if (!name.isEmpty())
        txtSelFileName->setText(name);
}

void frmSelFileName::cmdOk_Click() {
    const QString name = txtSelFileName->text();
    if (!name.isEmpty()) {
        ErrorCode err;
        work_.run(this, QStringLiteral("書き出しています..."), [&](Progress& progress) {
            err = writeSelectedRows(name, settings_.appends(), rows_, &progress);
        });
        if (err) {
            desktop_.exclamation(this, QString(), outputFailureText());
            return;
        }
        settings_.SelFileName = name;
    }
    close();
}
