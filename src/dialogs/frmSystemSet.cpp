#include "frmSystemSet.h"

#include "settings/IniSettings.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

struct Pair {
    const char* frameName;
    const char* frameCaption;
    QRect frame;
    const char* optionName;
    const char* captions[2];
    int widths[2];
};

} // namespace

frmSystemSet::frmSystemSet(QWidget* mainWindow, IniSettingsRecord& settings)
    : FixedDialog(mainWindow, QStringLiteral("システム設定"), 5340, 2970), settings_(settings) {
    setObjectName(QStringLiteral("frmSystemSet"));
    const Pair pairs[3] = {
        {"Frame1",
         "ファイル書き出しモード設定",
         {120, 120, 3735, 855},
         "optAppendMode",
         {"追加書き", "上書き"},
         {1335, 1215}},
        {"Frame2",
         "印刷時の用紙排出設定",
         {120, 2040, 3735, 855},
         "optPageMode",
         {"用紙排出は手動で行う", "印字のたびに自動的に用紙排出する"},
         {3135, 3255}},
        {"Frame3",
         "出力先ファイル名指定方法",
         {120, 1080, 3735, 855},
         "optFileSelMode",
         {"ファイル名を毎回指定", "出力先固定"},
         {2655, 2295}},
    };
    QRadioButton** arrays[3] = {optAppendMode, optPageMode, optFileSelMode};
    void (frmSystemSet::*handlers[3])(int) = {&frmSystemSet::optAppendMode_Click,
                                              &frmSystemSet::optPageMode_Click,
                                              &frmSystemSet::optFileSelMode_Click};
    QGroupBox* frames[3];
    for (int g = 0; g < 3; ++g) {
        frames[g] = add<QGroupBox>(this, pairs[g].frameName, pairs[g].frame);
        frames[g]->setTitle(QString::fromUtf8(pairs[g].frameCaption));
        for (int i = 0; i < 2; ++i) {
            QRadioButton* opt = add<QRadioButton>(frames[g], pairs[g].optionName,
                                                  {240, 240 + 240 * i, pairs[g].widths[i], 255});
            opt->setProperty("Index", i);
            opt->setText(QString::fromUtf8(pairs[g].captions[i]));
            arrays[g][i] = opt;
            // Checked from code or by the user: stored at once either way.
            connect(opt, &QRadioButton::toggled, this, [this, handler = handlers[g], i](bool on) {
                if (on)
                    (this->*handler)(i);
            });
        }
    }
    auto* ok = addButton("cmdOk", QStringLiteral("OK"), {3960, 240, 1335, 375});
    connect(ok, &QPushButton::clicked, this, &frmSystemSet::cmdOk_Click);
    setTabOrder(optAppendMode[0], optAppendMode[1]);
    setTabOrder(optAppendMode[1], optPageMode[0]);
    setTabOrder(optPageMode[0], optPageMode[1]);
    setTabOrder(optPageMode[1], ok);
    setTabOrder(ok, optFileSelMode[0]);
    setTabOrder(optFileSelMode[0], optFileSelMode[1]);
    Form_Load();
}

void frmSystemSet::Form_Load() {
    placeBesideMainWindow(1200);
    optAppendMode[settings_.appends() ? 0 : 1]->setChecked(true);
    optFileSelMode[settings_.asksForOutputFile() ? 0 : 1]->setChecked(true);
    optPageMode[settings_.Page_mode == 0 ? 0 : 1]->setChecked(true);
    // The focus starts on the first group's checked choice, as in native dialogs.
    (optAppendMode[0]->isChecked() ? optAppendMode[0] : optAppendMode[1])->setFocus();
}

void frmSystemSet::optAppendMode_Click(int index) {
    if (index == 0 || index == 1)
        settings_.Append_mode = index == 0 ? 1 : 0;
}

void frmSystemSet::optPageMode_Click(int index) {
    if (index == 0 || index == 1)
        settings_.Page_mode = index;
}

void frmSystemSet::optFileSelMode_Click(int index) {
    if (index == 0 || index == 1)
        settings_.FileSel_mode = index;
}
