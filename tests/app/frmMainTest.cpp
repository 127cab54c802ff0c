#include "app/frmMain.h"
#include "app/ApplicationSetup.h"
#include "listview/LineListView.h"
#include "support/FakeDesktop.h"
#include "support/FakePrinter.h"
#include "support/TempDir.h"

#include <QFontDatabase>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

class MainFixture : public ::testing::Test {
  protected:
    std::unique_ptr<frmMain> start(const QString& commandLine = QString()) {
        auto w = std::make_unique<frmMain>(dir.path(), desktop, printer);
        w->Form_Load(commandLine);
        return w;
    }
    QString ini() const { return dir.file(QStringLiteral("KARVEL.INI")); }
    static QString panel(frmMain& w, const char* key) {
        return w.findChild<QLabel*>(QLatin1String(key))->text();
    }
    TempDir dir;
    FakeDesktop desktop;
    FakePrinter printer;
};

TEST(ApplicationSetup, GivesEveryWindowTheIconAFontWithJapaneseAndJapaneseDialogs) {
    const QFont before = QApplication::font();
    setUpApplication();
    const QString family = QApplication::font().family();
    EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese))
        << qPrintable(family);
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
              QStringLiteral("キャンセル"));
    QApplication::setFont(before);
}

TEST_F(MainFixture, MenuBarHasEveryCaptionAndNoShortcut) {
    auto w = start();
    const QStringList expected = {"mnuFile:ファイル(&F)",
                                  "mnuFileOpen:ファイルを開く(&O)...",
                                  "mnuFileDmy1:",
                                  "mnuFilePrint:印刷(&F)",
                                  "mnuFilePreview:印刷プレビュー(&V)",
                                  "mnuFileWrite:ファイルへ書き出し(&F)...",
                                  "mnuFilePaper:用紙排出(&H)",
                                  "mnuFileDmy2:",
                                  "mnuFileExit:終了(&X)",
                                  "mnuEdit:編集(&E)",
                                  "mnuSearch:検索(&S)",
                                  "mnuComment:コメント出力(&C)",
                                  "mnuEditDmy1:",
                                  "mnuEditBig:フォントサイズ拡大(&B)",
                                  "mnuEditSmall:フォントサイズ縮小(&S)",
                                  "mnuOpt:オプション(&O)",
                                  "mnuSystemSet:システム設定(&S)...",
                                  "mnuPrnSet:プリンタ設定(&P)...",
                                  "mnuFontSet:フォント設定(&F)...",
                                  "mnuHelp:ヘルプ(&H)",
                                  "mnuHelpIndex:Karvelのヘルプ(&H)...",
                                  "mnuHelpAbout:バージョン情報(&A)..."};
    QStringList actual;
    for (QAction* title : w->menuBar()->actions()) {
        actual << title->objectName() + ":" + title->text();
        for (QAction* a : title->menu()->actions()) {
            actual << a->objectName() + ":" + a->text();
            EXPECT_TRUE(a->shortcut().isEmpty());
            EXPECT_TRUE(a->isEnabled());
        }
    }
    EXPECT_EQ(actual, expected);
}

TEST_F(MainFixture, ToolbarHasFifteenEntriesWithKeysPicturesAndTooltips) {
    auto w = start();
    auto* bar = w->findChild<QToolBar*>(QStringLiteral("ToolbarMain"));
    ASSERT_NE(bar, nullptr);
    struct Entry {
        const char* key;
        int picture;
        const char* tooltip;
    } expected[] = {
        {"", 0, ""},
        {"btnExit", 1, "Karvelを終了します"},
        {"", 0, ""},
        {"btnOpen", 2, "ファイルを読み込みます"},
        {"btnPrint", 4, "選択した行をプリンタに出力します"},
        {"btnFile", 3, "選択した行をファイルに出力します"},
        {"", 0, ""},
        {"btnPage", 5, "プリンタ用紙を排出（印刷実行）します"},
        {"", 0, ""},
        {"btnFont", 6, "フォントの種類、サイズを変更します"},
        {"", 0, ""},
        {"btnAppendMode", 8, "ファイル出力時に上書きか追加かを選択します"},
        {"", 0, ""},
        {"btnBig", 9, "フォントサイズを拡大します"},
        {"btnSmall", 10, "フォントサイズを縮小します"},
    };
    const QList<QAction*> actions = bar->actions();
    ASSERT_EQ(actions.size(), 15);
    for (int i = 0; i < 15; ++i) {
        const Entry& e = expected[i];
        QAction* a = actions[i];
        EXPECT_EQ(a->isSeparator(), e.picture == 0) << i;
        if (a->isSeparator())
            continue;
        EXPECT_EQ(a->objectName(), QLatin1String(e.key));
        EXPECT_EQ(a->toolTip(), QString::fromUtf8(e.tooltip));
        EXPECT_TRUE(a->text().isEmpty());
        EXPECT_EQ(a->icon().cacheKey(), w->toolbarPicture(e.picture).cacheKey()) << e.key;
        const QImage picture = a->icon().pixmap(16, 16).toImage();
        EXPECT_EQ(picture.size(), QSize(16, 16)) << e.key;
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << e.key; // the background is transparent
        // High-density screens get the picture with each pixel repeated, as crisp as at 1x.
        const QImage twice = a->icon().pixmap(QSize(16, 16), 2.0).toImage();
        ASSERT_EQ(twice.size(), QSize(32, 32)) << e.key;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(twice.pixel(2 * x + 1, 2 * y + 1), picture.pixel(x, y)) << e.key;
        EXPECT_EQ(a->isCheckable(), QByteArrayView(e.key) == "btnAppendMode");
    }
}

TEST_F(MainFixture, AppendModeButtonMirrorsTheSetting) {
    auto w = start();
    QAction* button = w->toolbarButton(QStringLiteral("btnAppendMode"));
    auto state = [&] {
        return std::make_pair(button->isChecked(),
                              button->icon().cacheKey() == w->toolbarPicture(7).cacheKey() ? 7 : 8);
    };
    EXPECT_EQ(state(), std::make_pair(true, 8)); // overwrite at start
    button->trigger();                           // the toolbar flips it, then reports the click
    EXPECT_EQ(w->IniSettings.Append_mode, 1);
    EXPECT_EQ(state(), std::make_pair(false, 7));
    button->trigger();
    EXPECT_EQ(w->IniSettings.Append_mode, 0);
    EXPECT_EQ(state(), std::make_pair(true, 8));
    w->IniSettings.Append_mode = 5;
    w->AppendModeCaptionSet();
    EXPECT_EQ(w->IniSettings.Append_mode, 0);
    EXPECT_EQ(state(), std::make_pair(true, 8));
}

TEST_F(MainFixture, StartsWithDefaultsAndNoMessageWithoutASettingsFile) {
    auto w = start();
    EXPECT_TRUE(desktop.messages.isEmpty());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Karvel32"));
    EXPECT_EQ(w->LineCount(), 0u);
    EXPECT_EQ(w->IniSettings.Page_mode, 0);
    EXPECT_EQ(w->IniSettings.FileSel_mode, 0);
    EXPECT_EQ(panel(*w, "FontName"), w->List1()->font().family());
    EXPECT_TRUE(panel(*w, "FontSize").startsWith(' '));
    EXPECT_TRUE(panel(*w, "FontSize").endsWith(QStringLiteral("pts.")));
    EXPECT_EQ(w->helpFile(), dir.file(QStringLiteral("KARVEL.hlp")));
}

TEST_F(MainFixture, SettingsFileIsHonouredAndRewrittenOnClose) {
    dir.write(QStringLiteral("KARVEL.INI"),
              "[Karvel]\r\nAppend_mode=1\r\nPage_mode=2\r\nTop=1500\r\nLeft=1200\r\n"
              "Height=6000\r\nWidth=9000\r\nFontSize=14\r\nFileSel_mode=1\r\n"
              "SelFileName=/tmp/out.txt\r\n");
    auto w = start();
    EXPECT_TRUE(desktop.messages.isEmpty());
    EXPECT_EQ(w->IniSettings.Append_mode, 1);
    EXPECT_FALSE(w->toolbarButton(QStringLiteral("btnAppendMode"))->isChecked());
    EXPECT_EQ(w->IniSettings.Page_mode, 2);
    EXPECT_EQ(w->pos(), QPoint(80, 100));
    EXPECT_EQ(w->size(), QSize(600, 400));
    EXPECT_EQ(panel(*w, "FontSize"), QStringLiteral(" 14pts."));
    w->close();
    EXPECT_EQ(TempDir::read(ini()),
              "[Karvel]\r\nAppend_mode= 1 \r\nPage_mode= 2 \r\nTop= 1500 \r\nLeft= 1200 \r\n"
              "Height= 6000 \r\nWidth= 9000 \r\nFontName=" +
                  w->List1()->font().family().toUtf8() +
                  "\r\nFontSize= 14 \r\nFileSel_mode= 1 \r\nSelFileName=/tmp/out.txt\r\n");
}

TEST_F(MainFixture, ABadFontSizeStopsReadingWithAMessage) {
    dir.write(QStringLiteral("KARVEL.INI"), "Page_mode=1\r\nFontSize=big\r\nFileSel_mode=1\r\n");
    auto w = start();
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0].title, QStringLiteral("Karvel"));
    EXPECT_EQ(desktop.messages[0].text, QStringLiteral("型が一致しません。"));
    EXPECT_EQ(w->IniSettings.Page_mode, 1);
    EXPECT_EQ(w->IniSettings.FileSel_mode, 0);
}

TEST_F(MainFixture, CommandLineFileIsLoadedAndNamedInTheCaption) {
    const QString p = dir.write(QStringLiteral("日本語 file.txt"), sjis("一行目\r\n二行目\r\n"));
    auto w = start(p);
    EXPECT_EQ(w->LineCount(), 2u);
    EXPECT_EQ(w->LineList.rowText(1), QStringLiteral("二行目"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Karvel -") + p + QStringLiteral("-"));
    EXPECT_TRUE(desktop.messages.isEmpty());
}

TEST_F(MainFixture, AMissingCommandLineFileGivesAMessageAndStillNamesIt) {
    const QString arg = dir.file(QStringLiteral("a.txt")) + QStringLiteral(" b.txt");
    auto w = start(arg);
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0].text, QStringLiteral("ファイルが見つかりません。"));
    EXPECT_EQ(w->LineCount(), 0u);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Karvel -") + arg + QStringLiteral("-"));
}

TEST_F(MainFixture, OpenCommandLoadsTheChosenFileAndCancelChangesNothing) {
    auto w = start();
    const QString p = dir.write(QStringLiteral("a.txt"), "x\r\ny\r\n");
    desktop.openAnswers = {p};
    w->toolbarButton(QStringLiteral("btnOpen"))->trigger();
    EXPECT_EQ(w->LineCount(), 2u);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Karvel -") + p + QStringLiteral("-"));
    w->LineList.setSelected(1, true);
    desktop.openAnswers = {QString()};
    w->findChild<QAction*>(QStringLiteral("mnuFileOpen"))->trigger();
    EXPECT_EQ(w->LineCount(), 2u);
    EXPECT_TRUE(w->LineList.isSelected(1));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Karvel -") + p + QStringLiteral("-"));
}

TEST_F(MainFixture, AFileThatCannotBeOpenedLeavesTheViewWhereItWas) {
    QByteArray text;
    for (int i = 0; i < 500; ++i)
        text += "row " + QByteArray::number(i) + "\r\n";
    auto w = start(dir.write(QStringLiteral("a.txt"), text));
    w->show();
    LineListView* list = w->List1();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->rowHeight() * 3 + 2));
    QTest::keyClick(list, Qt::Key_PageDown);
    const std::ptrdiff_t current = list->currentRow();
    const int scrolled = list->verticalScrollBar()->value();
    ASSERT_GT(current, 3);
    ASSERT_GT(scrolled, 0);
    desktop.openAnswers = {dir.file(QStringLiteral("missing.txt"))};
    w->toolbarButton(QStringLiteral("btnOpen"))->trigger();
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(w->LineCount(), 500u);
    EXPECT_EQ(list->currentRow(), current);
    EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
    // A file that opens replaces the rows and starts again at the top.
    desktop.openAnswers = {dir.write(QStringLiteral("b.txt"), "x\r\n")};
    w->toolbarButton(QStringLiteral("btnOpen"))->trigger();
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
}

TEST_F(MainFixture, ExitWritesTheSettingsFromMenuAndToolbar) {
    for (const char* name : {"mnuFileExit", "btnExit"}) {
        QFile::remove(ini());
        auto w = start();
        w->show();
        w->IniSettings.Page_mode = 1;
        w->findChild<QAction*>(QLatin1String(name))->trigger();
        EXPECT_FALSE(w->isVisible()) << name;
        EXPECT_TRUE(TempDir::read(ini()).contains("Page_mode= 1 \r\n")) << name;
    }
}

TEST_F(MainFixture, AMinimizedWindowWritesNoPlacement) {
    auto w = start();
    w->show();
    w->showMinimized();
    w->close();
    const QByteArray written = TempDir::read(ini());
    EXPECT_EQ(written.count("\r\n"), 7);
    EXPECT_FALSE(written.contains("Top="));
}

TEST_F(MainFixture, TheListFillsTheSpaceBetweenToolbarAndStatusBar) {
    auto w = start();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    for (QSize size : {QSize(500, 400), QSize(900, 700), QSize(300, 250)}) {
        w->resize(size);
        QCoreApplication::processEvents();
        const QRect list = w->List1()->geometry();
        auto* bar = w->findChild<QToolBar*>(QStringLiteral("ToolbarMain"));
        EXPECT_EQ(list.width(), w->width());
        EXPECT_EQ(list.top(), bar->geometry().bottom() + 1);
        EXPECT_EQ(list.bottom() + 1, w->statusBar()->geometry().top());
    }
}

} // namespace
