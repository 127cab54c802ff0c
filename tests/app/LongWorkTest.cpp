// Long work stopped partway with Cancel: what each command leaves behind, compared with the
// state before it.
#include "app/SessionEnd.h"
#include "app/frmMain.h"
#include "listview/LineListView.h"
#include "output/frmComment.h"
#include "output/frmSelFileName.h"
#include "printing/QtPrinter.h"
#include "support/Clipboard.h"
#include "support/DocumentRows.h"
#include "support/FakeDesktop.h"
#include "support/FakePrinter.h"
#include "support/PdfText.h"
#include "support/TempDir.h"
#include "ui/ProgressWindow.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace {

class LongWork : public ::testing::Test {
  protected:
    void SetUp() override {
        QByteArray text;
        for (int i = 0; i < 20000; ++i)
            text += "row " + QByteArray::number(i) + (i % 3 ? " ERROR" : " ok") + "\r\n";
        w = std::make_unique<frmMain>(dir.path(), desktop, printer);
        w->Form_Load(dir.write(QStringLiteral("in.txt"), text));
        w->show();
    }
    void trigger(const char* name) { w->findChild<QAction*>(QLatin1String(name))->trigger(); }
    // The name dialog with every row selected and out typed in, OK not yet clicked.
    std::unique_ptr<frmSelFileName> nameDialog(const QString& out) {
        w->LineList.setRangeSelected(0, 19999, true);
        auto d = std::make_unique<frmSelFileName>(w.get(), w->IniSettings, w->LineList, desktop,
                                                  w->longWork());
        d->show();
        d->txtSelFileName->setText(out);
        return d;
    }
    TempDir dir;
    FakeDesktop desktop;
    FakePrinter printer;
    std::unique_ptr<frmMain> w;
};

// Also a file that reports no size and never ends (the process's page map).
TEST_F(LongWork, AStoppedLoadLeavesTheWindowAsItWas) {
    w->LineList.setSelected(7, true);
    w->List1()->verticalScrollBar()->setValue(500);
    const QString caption = w->windowTitle();
    const int scroll = w->List1()->verticalScrollBar()->value();
    desktop.cancelAfter = 0;
    desktop.openAnswers = {dir.write(QStringLiteral("other.txt"), "a\r\nb\r\n"),
                           QStringLiteral("/proc/self/pagemap")};
    for (int i = 0; i < 2; ++i) {
        trigger("mnuFileOpen");
        EXPECT_EQ(desktop.progressLabels.size(), 2 + i); // the start-up load, then these
        EXPECT_EQ(w->LineCount(), 20000u);
        EXPECT_EQ(selectedRows(w->LineList), std::vector<std::size_t>{7});
        EXPECT_EQ(w->windowTitle(), caption);
        EXPECT_EQ(w->List1()->verticalScrollBar()->value(), scroll);
        EXPECT_TRUE(desktop.messages.isEmpty());
    }
}

// A stopped copy leaves the clipboard as it was; a finished one fills it.
TEST_F(LongWork, AStoppedCopyKeepsTheClipboard) {
    if (!clipboardWorks())
        GTEST_SKIP() << "no clipboard on this display (a compositor without a seat)";
    w->LineList.setRangeSelected(0, 19999, true);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    desktop.cancelAfter = 0;
    QTest::keySequence(w->List1(), QKeySequence::Copy);
    EXPECT_EQ(desktop.progressLabels.back(), QStringLiteral("コピーしています..."));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    desktop.cancelAfter = -1;
    QTest::keySequence(w->List1(), QKeySequence::Copy);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("row 0 ok\nrow 1")));
    EXPECT_TRUE(desktop.messages.isEmpty());
}

TEST_F(LongWork, AStoppedWriteKeepsTheRowsWrittenAndSaysNothing) {
    w->LineList.setRangeSelected(0, 19999, true);
    const QString out = dir.file(QStringLiteral("out.txt"));
    desktop.saveAnswers = {out};
    desktop.cancelAfter = 1; // after 4096 rows: the second report says stop
    trigger("mnuFileWrite");
    const QByteArray written = TempDir::read(out);
    EXPECT_TRUE(written.startsWith("row 0 ok\r\nrow 1 ERROR\r\n"));
    EXPECT_EQ(written.count("\r\n"), 8191);
    EXPECT_TRUE(desktop.messages.isEmpty());
}

TEST_F(LongWork, AStoppedPrintKeepsTheLinesDrawnAndEndsThePageAsUsual) {
    w->LineList.setRangeSelected(0, 99, true);
    w->IniSettings.Page_mode = 1;
    desktop.cancelAfter = 3;
    trigger("mnuFilePrint");
    ASSERT_EQ(printer.ejected.size(), 1); // as if the command had covered three rows
    EXPECT_EQ(printer.ejected[0], (QStringList{"row 0 ok", "row 1 ERROR", "row 2 ERROR"}));
    EXPECT_TRUE(desktop.messages.isEmpty());
}

// While one piece of long work runs, no command starts another.
TEST_F(LongWork, NoSecondCommandStartsWhileOneRuns) {
    w->LineList.setRangeSelected(0, 19999, true);
    const QString out = dir.file(QStringLiteral("out.txt"));
    desktop.saveAnswers = {out};
    int attempts = 0;
    desktop.duringWork = [&] {
        if (attempts++ > 0)
            return; // once is enough
        trigger("mnuFilePrint");
        w->text_read(dir.write(QStringLiteral("other.txt"), "x\r\n"));
    };
    trigger("mnuFileWrite");
    EXPECT_GE(attempts, 1);
    EXPECT_TRUE(printer.line.isEmpty());
    EXPECT_EQ(w->LineCount(), 20000u);
    EXPECT_EQ(TempDir::read(out).count("\r\n"), 20000);
}

// A termination signal while long work runs: the work stops at its next report and unwinds, the
// command keeps what it keeps, and only then are the settings saved and the page ended.
// SIGTERM at the first report of the next long work for which when() holds.
void raiseTerminationDuringWork(FakeDesktop& desktop, std::function<bool()> when = {}) {
    desktop.duringWork = [when, raised = false]() mutable {
        if (raised || (when && !when()))
            return;
        raised = true;
        ::raise(SIGTERM);
        QCoreApplication::processEvents(); // the signal arrives between two reports
    };
}

TEST_F(LongWork, ATerminationDuringAPrintEndsThePageWithEveryRowPrintedSoFar) {
    SessionEnd sessionEnd(*w);
    w->LineList.setRangeSelected(0, 99, true);
    printer.page = 1e9; // one printed line per row
    raiseTerminationDuringWork(desktop, [&] { return printer.line.size() == 3; });
    trigger("mnuFilePrint");
    ASSERT_TRUE(QTest::qWaitFor([&] { return sessionEnd.terminated(); }));
    ASSERT_EQ(printer.ejected.size(), 1);
    const QStringList rows = printer.ejected[0];
    ASSERT_GE(rows.size(), 3);
    ASSERT_LT(rows.size(), 100);
    for (qsizetype i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i], QString::fromLatin1(w->LineList.rowBytes(std::size_t(i))));
    EXPECT_TRUE(QFileInfo::exists(dir.file(QStringLiteral("KARVEL.INI"))));
}

// The name the person confirmed is kept although the write it started was cut short.
TEST_F(LongWork, ATerminationDuringTheNamedFilesWriteSavesTheNewName) {
    SessionEnd sessionEnd(*w);
    const QString out = dir.file(QStringLiteral("new-out.txt"));
    const auto d = nameDialog(out);
    raiseTerminationDuringWork(desktop);
    d->findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sessionEnd.terminated(); }));
    const QByteArray written = TempDir::read(out);
    EXPECT_LT(written.count("\r\n"), 20000);
    EXPECT_TRUE(written.endsWith("\r\n"));
    const QByteArray ini = TempDir::read(dir.file(QStringLiteral("KARVEL.INI")));
    EXPECT_TRUE(ini.contains("SelFileName=" + out.toUtf8() + "\r\n")) << ini.toStdString();
}

TEST_F(LongWork, ACancelledWriteFromTheNameDialogKeepsWholeRowsAndTheName) {
    const QString out = dir.file(QStringLiteral("out.txt"));
    const auto d = nameDialog(out);
    desktop.cancelAfter = 1;
    d->findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
    EXPECT_EQ(TempDir::read(out).count("\r\n"), 8191);
    EXPECT_EQ(w->IniSettings.SelFileName, out);
    EXPECT_FALSE(d->isVisible());
}

// A comment is one row: a termination lets it finish, and the page with all of it is printed.
TEST(LongWorkFromADialog, ATerminationDuringACommentsPrintKeepsEveryCharacter) {
    TempDir dir;
    FakeDesktop desktop;
    QtPrinter printer(dir.path());
    frmMain w(dir.path(), desktop, printer);
    w.Form_Load(QString());
    SessionEnd sessionEnd(w);
    QString comment;
    for (int i = 0; i < 3000; ++i)
        comment += QStringLiteral("検索%1行").arg(i, 4, 10, QLatin1Char('0'));
    frmComment d(&w, w.IniSettings, printer, w.List1()->font(), PrintMargins{}, desktop,
                 w.longWork());
    d.show();
    d.txtComment->setText(comment);
    raiseTerminationDuringWork(desktop);
    d.findChild<QPushButton*>(QStringLiteral("cmdPrint"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sessionEnd.terminated(); }));
    ASSERT_EQ(printer.writtenFiles().size(), 1);
    // The extractor reports some kanji as their radicals' compatibility forms.
    QString text = pdfToText(printer.writtenFiles()[0]).normalized(QString::NormalizationForm_KC);
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_EQ(text, comment);
}

// The real progress window: never shown for short work, shown once work lasts half a second,
// and its Cancel button stops the work.
TEST(QtProgressWindow, ShowsOnlyForLongWorkAndCancelStops) {
    QWidget parent;
    parent.show();
    {
        QtProgress quick(&parent, QStringLiteral("検索しています..."));
        for (int i = 0; i < 100; ++i)
            EXPECT_TRUE(quick.advance(std::uint64_t(i), 100));
        EXPECT_FALSE(quick.shown());
    }
    QtProgress slow(&parent, QStringLiteral("印刷しています..."));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            EXPECT_TRUE(slow.advance(1, 100));
            return slow.shown();
        },
        10000));
    auto* dialog = parent.findChild<QProgressDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isModal());
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !slow.advance(2, 100); }));
}

} // namespace
