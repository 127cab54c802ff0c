#include "frmSearch.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmSearch::frmSearch(QWidget* mainWindow, QString& searchStr)
    : FixedDialog(mainWindow, QStringLiteral("文字列の検索"), 5235, 1185), searchStr_(searchStr) {
    setObjectName(QStringLiteral("frmSearch"));
    txtSearch = addTextBox("txtSearch", {240, 360, 4815, 270});
    cmdOk_ = addButton("cmdOk", QStringLiteral("OK"), {2640, 720, 1095, 375});
    auto* cancel = addButton("cmdCancel", QStringLiteral("Cancel"), {3960, 720, 1095, 375});
    auto* label = add<QLabel>(this, "Label1", {240, 120, 3855, 255});
    label->setText(QStringLiteral("検索文字列を入力してください"));
    txtSearch->setAccessibleName(label->text()); // the prompt names the box for screen readers
    setTabOrder(txtSearch, cmdOk_);
    setTabOrder(cmdOk_, cancel);
    connect(cmdOk_, &QPushButton::clicked, this, &frmSearch::cmdOk_Click);
    connect(cancel, &QPushButton::clicked, this, &frmSearch::cmdCancel_Click);
    // Form_Load: the remembered string, not yet confirmed.
    txtSearch->setText(searchStr_);
    SearchOk = false;
    connect(txtSearch, &QLineEdit::textChanged, this,
            [this](const QString& text) { searchStr_ = text; });
    enterMovesFocus(txtSearch, cmdOk_);
    txtSearch->setFocus();
}

void frmSearch::cmdOk_Click() {
    SearchOk = true;
    close();
}
