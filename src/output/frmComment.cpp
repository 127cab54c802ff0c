#include "frmComment.h"

#include "OutputRules.h"
#include "settings/IniSettings.h"
#include "ui/Desktop.h"
#include "ui/LongWork.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmComment::frmComment(QWidget* mainWindow, const IniSettingsRecord& settings, Printer& printer,
                       const QFont& listFont, const PrintMargins& margins, Desktop& desktop,
                       LongWork& work, TextFormat documentFormat)
    : FixedDialog(mainWindow, QStringLiteral("コメント入力"), 4395, 1170), settings_(settings),
      printer_(printer), fontFamily_(listFont.family()), fontSize_(listFont.pointSizeF()),
      margins_(margins), desktop_(desktop), work_(work), format_(documentFormat) {
    setObjectName(QStringLiteral("frmComment"));
    txtComment = addTextBox("txtComment", {180, 360, 4035, 315});
    auto* label = add<QLabel>(this, "Label1", {180, 60, 3675, 255});
    label->setText(QStringLiteral("コメント文字列を入力してください。"));
    txtComment->setAccessibleName(label->text()); // the prompt names the box for screen readers
    auto* print = addButton("cmdPrint", QStringLiteral("印刷"), {180, 780, 1035, 315});
    auto* file = addButton("cmdFile", QStringLiteral("ファイル出力"), {1320, 780, 1275, 315});
    auto* cancel = addButton("cmdCancel", QStringLiteral("Cancel"), {3180, 780, 1035, 315});
    setTabOrder(txtComment, print);
    setTabOrder(print, file);
    setTabOrder(file, cancel);
    connect(print, &QPushButton::clicked, this, &frmComment::cmdPrint_Click);
    connect(file, &QPushButton::clicked, this, &frmComment::cmdFile_Click);
    connect(cancel, &QPushButton::clicked, this, &frmComment::cmdCancel_Click);
    placeBesideMainWindow(1200);
}

void frmComment::cmdPrint_Click() {
    bool ok = true;
    const QString text = txtComment->text();
    work_.run(this, QStringLiteral("印刷しています..."), [&](Progress& progress) {
        ok = runPrintCommand(printer_, fontFamily_, fontSize_, settings_.ejectsAfterEveryPrint(),
                             progress,
                             [&] { return printRow(printer_, text, margins_, &progress); });
    });
    if (!ok)
        desktop_.exclamation(this, QStringLiteral("Karvel"), printer_.errorText());
    close();
}

void frmComment::cmdFile_Click() {
    // A character the file's encoding lacks is named before anything is asked or written.
    qsizetype bad = -1;
    QString text;
    const auto bytes = encodeText(format_.encoding, txtComment->text(), &bad, &text);
    if (!bytes) {
        const int len = text[bad].isHighSurrogate() && bad + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(bad, len);
        const QString code =
            QString::number(ch.toUcs4().value(0), 16).toUpper().rightJustified(4, QLatin1Char('0'));
        desktop_.exclamation(
            this, QStringLiteral("Karvel"),
            QStringLiteral("「%1」(U+%2) は%3にない文字のため、ファイルに書き出せません。")
                .arg(ch, code, encodingName(format_.encoding)));
        return;
    }
    const QString name = desktop_.saveFileName(this, outputDialogTitle(), textFileFilter());
    if (!name.isEmpty()) {
        ErrorCode err;
        work_.run(this, QStringLiteral("書き出しています..."),
                  [&](Progress&) { err = writeLine(name, settings_.appends(), *bytes, format_); });
        if (err) {
            desktop_.exclamation(this, QString(), outputFailureText());
            return;
        }
    }
    close();
}
