// The static make-up of the main window: menu bar, toolbar, line list and status bar.
#include "ClockPanel.h"
#include "frmMain.h"
#include "listview/LineListView.h"
#include "resources/Pictures.h"
#include "settings/NumberRules.h"
#include "ui/FitToText.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace {

struct MenuEntry {
    const char* name;
    const char* caption; // "-" for a separator
    void (frmMain::*handler)();
};

struct Menu {
    const char* name;
    const char* caption;
    std::initializer_list<MenuEntry> entries;
};

struct ToolbarEntry {
    const char* key; // nullptr for a separator
    int picture;
    const char* tooltip;
};

const ToolbarEntry kToolbar[] = {
    {nullptr, 0, nullptr},
    {"btnExit", 1, "Karvelを終了します"},
    {nullptr, 0, nullptr},
    {"btnOpen", 2, "ファイルを読み込みます"},
    {"btnPrint", 4, "選択した行をプリンタに出力します"},
    {"btnFile", 3, "選択した行をファイルに出力します"},
    {nullptr, 0, nullptr},
    {"btnPage", 5, "プリンタ用紙を排出（印刷実行）します"},
    {nullptr, 0, nullptr},
    {"btnFont", 6, "フォントの種類、サイズを変更します"},
    {nullptr, 0, nullptr},
    {"btnAppendMode", 7, "ファイル出力時に上書きか追加かを選択します"},
    {nullptr, 0, nullptr},
    {"btnBig", 9, "フォントサイズを拡大します"},
    {"btnSmall", 10, "フォントサイズを縮小します"},
};

} // namespace

void frmMain::buildMenus() {
    const Menu menus[] = {
        {"mnuFile",
         "ファイル(&F)",
         {{"mnuFileOpen", "ファイルを開く(&O)...", &frmMain::mnuFileOpen_Click},
          {"mnuFileDmy1", "-", nullptr},
          {"mnuFilePrint", "印刷(&F)", &frmMain::mnuFilePrint_Click},
          {"mnuFilePreview", "印刷プレビュー(&V)", &frmMain::mnuFilePreview_Click},
          {"mnuFileWrite", "ファイルへ書き出し(&F)...", &frmMain::mnuFileWrite_Click},
          {"mnuFilePaper", "用紙排出(&H)", &frmMain::mnuFilePaper_Click},
          {"mnuFileDmy2", "-", nullptr},
          {"mnuFileExit", "終了(&X)", &frmMain::mnuFileExit_Click}}},
        {"mnuEdit",
         "編集(&E)",
         {{"mnuSearch", "検索(&S)", &frmMain::mnuSearch_Click},
          {"mnuComment", "コメント出力(&C)", &frmMain::mnuComment_Click},
          {"mnuEditDmy1", "-", nullptr},
          {"mnuEditBig", "フォントサイズ拡大(&B)", &frmMain::mnuEditBig_Click},
          {"mnuEditSmall", "フォントサイズ縮小(&S)", &frmMain::mnuEditSmall_Click}}},
        {"mnuOpt",
         "オプション(&O)",
         {{"mnuSystemSet", "システム設定(&S)...", &frmMain::mnuSystemSet_Click},
          {"mnuPrnSet", "プリンタ設定(&P)...", &frmMain::mnuPrnSet_Click},
          {"mnuFontSet", "フォント設定(&F)...", &frmMain::mnuFontSet_Click}}},
        {"mnuHelp",
         "ヘルプ(&H)",
         {{"mnuHelpIndex", "Karvelのヘルプ(&H)...", &frmMain::mnuHelpIndex_Click},
          {"mnuHelpAbout", "バージョン情報(&A)...", &frmMain::mnuHelpAbout_Click}}},
    };
    formatMenu_ = new FormatMenu(this);
    connect(formatMenu_, &FormatMenu::chosen, this, &frmMain::readAgainAs);
    for (const Menu& m : menus) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(m.caption));
        menu->setObjectName(QLatin1String(m.name));
        menu->menuAction()->setObjectName(QLatin1String(m.name));
        for (const MenuEntry& e : m.entries) {
            QAction* action =
                e.handler ? menu->addAction(QString::fromUtf8(e.caption)) : menu->addSeparator();
            action->setObjectName(QLatin1String(e.name));
            if (e.handler)
                connect(action, &QAction::triggered, this, e.handler);
            if (QByteArrayView(e.name) == "mnuFileOpen")
                menu->addMenu(formatMenu_);
        }
    }
}

void frmMain::buildToolbar() {
    for (int i = 1; i <= pictures::kToolbarPictureCount; ++i)
        ImageListToolbar_.append(pictures::toolbarPicture(i));
    QToolBar* bar = addToolBar(QString());
    bar->setObjectName(QStringLiteral("ToolbarMain"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    for (const ToolbarEntry& e : kToolbar) {
        if (!e.key) {
            bar->addSeparator();
            continue;
        }
        QAction* action = bar->addAction(ImageListToolbar_[e.picture - 1], QString());
        action->setObjectName(QLatin1String(e.key));
        action->setToolTip(QString::fromUtf8(e.tooltip));
        action->setCheckable(QByteArrayView(e.key) == "btnAppendMode");
        // Screen readers name a picture button by its tooltip.
        if (QWidget* button = bar->widgetForAction(action))
            button->setAccessibleName(action->toolTip());
    }
    // The button Qt shows for the buttons a narrow window hides has no name of its own.
    if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("その他のボタン"));
    connect(bar, &QToolBar::actionTriggered, this, &frmMain::ToolbarMain_ButtonClick);
}

void frmMain::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    auto panel = [bar](const char* name, int widthTwips, Qt::Alignment align, int stretch) {
        auto* label = new QLabel(bar);
        label->setObjectName(QLatin1String(name));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(align | Qt::AlignVCenter);
        label->setMinimumWidth(twips::toPixels(widthTwips));
        if (stretch == 0)
            label->setFixedWidth(twips::toPixels(widthTwips));
        bar->addWidget(label, stretch);
        return label;
    };
    fontNamePanel_ = panel("FontName", 1440, Qt::AlignLeft, 1);
    fontSizePanel_ = panel("FontSize", 1000, Qt::AlignRight, 0);
    // Panels drawn for a small font widen for the desktop's to hold their widest texts.
    fontSizePanel_->setFixedWidth(labelWidthFor(fontSizePanel_,
                                                QString::fromLatin1(numbers::fontSizeText(99.75)),
                                                fontSizePanel_->width()));
    // The file's encoding and line-end style; a click offers to read it again in others.
    formatPanel_ = new QToolButton(bar);
    formatPanel_->setObjectName(QStringLiteral("Format"));
    formatPanel_->setAutoRaise(true);
    formatPanel_->setPopupMode(QToolButton::InstantPopup);
    formatPanel_->setMenu(formatMenu_);
    formatPanel_->setToolTip(formatMenu_->title().remove(QStringLiteral("(&K)")));
    formatPanel_->setAccessibleName(formatPanel_->toolTip());
    bar->addWidget(formatPanel_, 0);
    auto* clock = new ClockPanel(bar);
    clock->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    clock->setFixedWidth(
        labelWidthFor(clock, ClockPanel::widestTime(clock->fontMetrics()), twips::toPixels(550)));
    bar->addWidget(clock, 0);
}
