#include "app/frmMain.h"
#include "listview/LineListView.h"
#include "output/PrintPreview.h"
#include "settings/NumberRules.h"
#include "support/FakeDesktop.h"
#include "support/FakePrinter.h"
#include "support/Modal.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"
#include "ui/QtDesktop.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class Commands : public ::testing::Test {
  protected:
    void SetUp() override {
        w = std::make_unique<frmMain>(dir.path(), desktop, printer);
        w->Form_Load(dir.write(QStringLiteral("in.txt"), "one\r\ntwo\r\nthree\r\n"));
        w->show();
        w->LineList.setSelected(2, true);
        w->LineList.setSelected(0, true);
    }
    void trigger(const char* name) { w->findChild<QAction*>(QLatin1String(name))->trigger(); }
    QString sizePanel() { return w->findChild<QLabel*>(QStringLiteral("FontSize"))->text(); }
    double listSize() { return w->List1()->font().pointSizeF(); }
    TempDir dir;
    FakeDesktop desktop;
    FakePrinter printer;
    std::unique_ptr<frmMain> w;
};

// Enlarging takes a fifth more and shrinking a fifth less, rounded down, within 5 to 120
// points; the clamping step leaves the size panel as it was.
TEST_F(Commands, FontStepsFromMenuAndToolbar) {
    const struct {
        double from;
        const char* command;
        double to;
        bool panel;
    } cases[] = {{5, "mnuEditBig", 6, true},      {9.75, "btnBig", 11, true},
                 {99, "mnuEditBig", 118, true},   {100, "btnBig", 120, false},
                 {105, "mnuEditBig", 120, false}, {150, "mnuEditSmall", 120, true},
                 {120, "btnSmall", 96, true},     {7, "mnuEditSmall", 5, true},
                 {6.26, "btnSmall", 5, true},     {6.25, "mnuEditSmall", 5, false}};
    for (const auto& c : cases) {
        QFont f = w->List1()->font();
        f.setPointSizeF(c.from);
        w->List1()->setFont(f);
        w->findChild<QLabel*>(QStringLiteral("FontSize"))->setText(QStringLiteral("before"));
        trigger(c.command);
        EXPECT_EQ(listSize(), c.to) << c.from << " " << c.command;
        EXPECT_EQ(sizePanel(), c.panel ? QString::fromLatin1(numbers::fontSizeText(c.to))
                                       : QStringLiteral("before"))
            << c.from << " " << c.command;
    }
}

// A setting the person changes is on disk shortly, without waiting for the exit: a run that
// ends abnormally keeps it.
TEST_F(Commands, ChangedSettingsReachTheFileWithoutAnExit) {
    const QString ini = dir.file(QStringLiteral("KARVEL.INI"));
    auto saved = [&](const QByteArray& line) {
        return QTest::qWaitFor([&] { return TempDir::read(ini).contains(line); });
    };
    EXPECT_FALSE(QFile::exists(ini)); // opening a file changes no setting
    trigger("btnBig");
    ASSERT_TRUE(saved("FontSize=" + numbers::printForm(listSize(), numbers::Single) + "\r\n"));
    trigger("btnAppendMode");
    ASSERT_TRUE(saved("Append_mode= 1 \r\n"));
    // Any mode but 0 offers the remembered name in the program's own dialog, not a save dialog.
    w->IniSettings.FileSel_mode = 2;
    whenModalShown([](QWidget* d) {
        d->findChild<QLineEdit*>()->setText(QStringLiteral("/dev/null"));
        d->findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
    });
    trigger("mnuFileWrite");
    ASSERT_TRUE(saved("SelFileName=/dev/null\r\n"));
    EXPECT_TRUE(desktop.saveTitles.isEmpty());
}

TEST_F(Commands, FontDialogSetsListPrinterAndPanelsEvenOnCancel) {
    desktop.fontAnswer = QFont(QStringLiteral("DejaVu Serif"), 13);
    trigger("btnFont");
    EXPECT_EQ(w->List1()->font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(listSize(), 13);
    EXPECT_EQ(printer.family, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(sizePanel(), QStringLiteral(" 13pts."));
    desktop.fontAnswer.reset(); // Cancel leaves the pre-set font, which is applied again
    printer.family.clear();
    trigger("mnuFontSet");
    EXPECT_EQ(printer.family, QStringLiteral("DejaVu Serif"));
    w->close();
    EXPECT_TRUE(TempDir::read(dir.file(QStringLiteral("KARVEL.INI")))
                    .contains("FontName=DejaVu Serif\r\nFontSize= 13 \r\n"));
}

// Lines pile up on the open page until it is ejected, or are ejected at once in page mode 1.
TEST_F(Commands, PrintAndEjectFromMenuAndToolbarAndPageMode1) {
    trigger("mnuFilePrint");
    w->IniSettings.Page_mode = 2; // only 1 ejects
    trigger("btnPrint");
    EXPECT_TRUE(printer.ejected.isEmpty());
    EXPECT_EQ(printer.family, w->List1()->font().family());
    EXPECT_EQ(printer.points, listSize());
    trigger("btnPage");
    ASSERT_EQ(printer.ejected.size(), 1);
    EXPECT_EQ(printer.ejected[0], (QStringList{"one", "three", "one", "three"}));
    trigger("mnuFilePaper"); // nothing open: no message
    EXPECT_TRUE(desktop.messages.isEmpty());
    w->IniSettings.Page_mode = 1;
    trigger("mnuFilePrint");
    ASSERT_EQ(printer.ejected.size(), 2);
    EXPECT_EQ(printer.ejected[1], (QStringList{"one", "three"}));
    EXPECT_EQ(w->LineList.selectedCount(), 2u);
}

// A page the printer could not take is told in the printer's words (which printer, why, where
// the pages were kept), once.
TEST_F(Commands, AFailedEjectShowsThePrintersMessage) {
    trigger("mnuFilePrint");
    printer.endDocFailure = QStringLiteral("プリンタ office に印刷できません: 見つかりません。"
                                           "ページは /home/taro/Karvel-20261201-090001.pdf に"
                                           "保存しました。");
    trigger("mnuFilePaper");
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0].title, QStringLiteral("Karvel"));
    EXPECT_EQ(desktop.messages[0].text, printer.endDocFailure);
    trigger("btnPage"); // the page is gone: nothing more to say
    EXPECT_EQ(desktop.messages.size(), 1);
}

TEST_F(Commands, APrinterFailureIsReported) {
    printer.failPrint = true;
    trigger("mnuFilePrint");
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0].text, QStringLiteral("印刷できません。"));
}

TEST_F(Commands, AnOpenPageIsPrintedAtExit) {
    trigger("mnuFilePrint");
    w->close();
    EXPECT_EQ(printer.ejected.size(), 1);
}

TEST_F(Commands, WriteAsksForAFileInMode0) {
    const QString out = dir.file(QStringLiteral("出力 \"名前\".txt"));
    desktop.saveAnswers = {out, QString()};
    trigger("btnFile");
    EXPECT_EQ(TempDir::read(out), "one\r\nthree\r\n");
    EXPECT_EQ(desktop.saveTitles, QStringList{QStringLiteral("書き出しファイル名")});
    trigger("mnuFileWrite"); // cancelled: nothing written, nothing shown
    EXPECT_EQ(TempDir::read(out), "one\r\nthree\r\n");
    EXPECT_TRUE(desktop.messages.isEmpty());
    desktop.saveAnswers = {dir.file(QStringLiteral("no/dir/out.txt"))};
    trigger("mnuFileWrite");
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0].text, QStringLiteral("ファイルをオープンできません"));
    EXPECT_EQ(w->IniSettings.SelFileName, QString());
}

TEST_F(Commands, SystemSettingsBringTheAppendButtonIntoLine) {
    whenModalShown([](QWidget* d) {
        d->findChildren<QRadioButton*>(QStringLiteral("optAppendMode"))[0]->click(); // 追加書き
        d->close();
    });
    trigger("mnuSystemSet");
    EXPECT_EQ(w->IniSettings.Append_mode, 1);
    EXPECT_FALSE(w->toolbarButton(QStringLiteral("btnAppendMode"))->isChecked());
}

TEST_F(Commands, OnlyAConfirmedSearchSelects) {
    w->LineList.clearSelection();
    whenModalShown([](QWidget* d) {
        d->findChild<QLineEdit*>(QStringLiteral("txtSearch"))->setText(QStringLiteral("t"));
        d->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    });
    trigger("mnuSearch");
    EXPECT_EQ(w->LineList.selectedCount(), 0u);
    EXPECT_EQ(w->SearchStr, QStringLiteral("t"));
    whenModalShown(
        [](QWidget* d) { d->findChild<QPushButton*>(QStringLiteral("cmdOk"))->click(); });
    trigger("mnuSearch");
    EXPECT_EQ(w->LineList.selectedCount(), 2u); // two, three
    EXPECT_FALSE(w->LineList.isSelected(0));
}

TEST_F(Commands, CommentPrintsOntoTheOpenPageAndAboutClosesWithOk) {
    whenModalShown([](QWidget* d) {
        d->findChild<QLineEdit*>(QStringLiteral("txtComment"))->setText(QStringLiteral("見出し"));
        d->findChild<QPushButton*>(QStringLiteral("cmdPrint"))->click();
    });
    trigger("mnuComment");
    EXPECT_EQ(printer.line, QStringList{QStringLiteral("見出し")});
    EXPECT_EQ(printer.family, w->List1()->font().family());
    EXPECT_TRUE(printer.ejected.isEmpty());
    bool shown = false;
    whenModalShown([&](QWidget* d) {
        shown = true;
        d->findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
    });
    trigger("mnuHelpAbout");
    EXPECT_TRUE(shown);
}

TEST_F(Commands, HelpOpensTheDocumentOrSaysWhyNot) {
    trigger("mnuHelpIndex");
    EXPECT_EQ(desktop.started,
              QStringList{QStringLiteral("xdg-open ") + dir.file(QStringLiteral("karvel.doc"))});
    desktop.startError = QStringLiteral("xdg-open が見つかりません。");
    trigger("mnuHelpIndex");
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0].text, desktop.startError);
    // An opener that starts but cannot open the document ends with a code that is told.
    desktop.startError.clear();
    struct Case {
        int code;
        QString why;
    } cases[] = {{3, QStringLiteral("アプリケーションがありません")},
                 {2, ErrorCode(ErrorCode::FileNotFound).description()},
                 {7, QStringLiteral("終了コード 7")}};
    for (const Case& c : cases) {
        desktop.messages.clear();
        desktop.startExitCode = c.code;
        trigger("mnuHelpIndex");
        ASSERT_EQ(desktop.messages.size(), 1);
        EXPECT_TRUE(desktop.messages[0].text.contains(c.why)) << c.code;
        EXPECT_TRUE(desktop.messages[0].text.contains(QStringLiteral("karvel.doc")));
    }
}

// The real opener's exit code reaches the window after the program has ended.
TEST(QtDesktopStart, AFailingProgramsExitCodeIsReported) {
    QtDesktop desktop;
    QString error;
    int code = 0;
    ASSERT_TRUE(desktop.startDetached(QStringLiteral("sh"),
                                      {QStringLiteral("-c"), QStringLiteral("exit 3")}, &error,
                                      [&](int c) { code = c; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return code != 0; }));
    EXPECT_EQ(code, 3);
}

// A file that looks like a program but cannot be executed is found out only after the start has
// returned; the failure still reaches the caller.
TEST(QtDesktopStart, AProgramThatCannotBeExecutedIsReported) {
    TempDir dir;
    const QString program = dir.write(QStringLiteral("not-a-program"), "\x01\x02\x03\x04");
    ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    QtDesktop desktop;
    QString error;
    bool reported = false;
    ASSERT_TRUE(desktop.startDetached(program, {}, &error, [&](int c) { reported = c == -1; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return reported; }));
}

TEST_F(Commands, F1ShowsTheHelpFileOrWhyNot) {
    QTest::keyClick(w->List1(), Qt::Key_F1);
    EXPECT_EQ(desktop.helpShown, QStringList{dir.file(QStringLiteral("KARVEL.hlp"))});
    EXPECT_TRUE(desktop.messages.isEmpty());
    desktop.helpError = ErrorCode::PermissionDenied;
    QTest::keyClick(w.get(), Qt::Key_F1);
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0].text,
              QStringLiteral("ヘルプファイル %1 を開けません: 書き込みできません。")
                  .arg(dir.file(QStringLiteral("KARVEL.hlp"))));
}

TEST(QtDesktopHelp, AHelpFileThatCannotBeReadIsNotShown) {
    TempDir dir;
    EXPECT_EQ(QtDesktop().showHelpFile(nullptr, QString(), dir.file(QStringLiteral("KARVEL.hlp"))),
              ErrorCode::FileNotFound);
}

// The preview, once open, follows the print commands and the eject of the main window.
TEST_F(Commands, ThePreviewFollowsPrintAndEject) {
    trigger("mnuFilePreview");
    auto* preview = w->findChild<PrintPreview*>();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_TRUE(preview->summary().startsWith(QStringLiteral("0 行印字済み")));
    trigger("mnuFilePrint");
    EXPECT_TRUE(preview->summary().startsWith(QStringLiteral("2 行印字済み")));
    trigger("btnPrint");
    EXPECT_TRUE(preview->summary().startsWith(QStringLiteral("4 行印字済み")));
    trigger("mnuFilePaper");
    EXPECT_TRUE(preview->summary().startsWith(QStringLiteral("0 行印字済み")));
    trigger("mnuFilePreview"); // a second time: the same window
    EXPECT_EQ(w->findChildren<PrintPreview*>().size(), 1);
}

} // namespace
