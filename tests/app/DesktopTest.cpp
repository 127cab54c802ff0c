// What the desktop offers beyond the menus: dropped files and accessibility tools.
#include "app/frmMain.h"
#include "listview/LineListView.h"
#include "support/FakeDesktop.h"
#include "support/FakePrinter.h"
#include "support/Modal.h"
#include "support/TempDir.h"
#include "ui/QtDesktop.h"

#include <QAccessible>
#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class DesktopFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        w = std::make_unique<frmMain>(dir.path(), desktop, printer);
        w->Form_Load(QString());
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    // Drags data onto the list and drops it; returns whether the window took the drop.
    bool drop(QMimeData* data) {
        const QPoint at = w->List1()->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.get(), &dropped);
        return dropped.isAccepted();
    }
    TempDir dir;
    FakeDesktop desktop;
    FakePrinter printer;
    std::unique_ptr<frmMain> w;
};

TEST_F(DesktopFixture, ADroppedFileLoadsLikeAnOpenedOne) {
    const QString p = dir.write(QStringLiteral("dropped.txt"), sjis("一\r\n二\r\n"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(p)});
    EXPECT_TRUE(drop(&data));
    EXPECT_EQ(w->LineCount(), 2u);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Karvel -") + p + QStringLiteral("-"));
}

TEST_F(DesktopFixture, SeveralFilesOrNoFileAreRefused) {
    const QString a = dir.write(QStringLiteral("a.txt"), "a\r\n");
    const QString b = dir.write(QStringLiteral("b.txt"), "b\r\n");
    QMimeData two, text, remote;
    two.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    text.setText(QStringLiteral("just text"));
    remote.setUrls({QUrl(QStringLiteral("https://example.invalid/a.txt"))});
    for (QMimeData* data : {&two, &text, &remote})
        EXPECT_FALSE(drop(data));
    EXPECT_EQ(w->LineCount(), 0u);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Karvel32"));
}

TEST_F(DesktopFixture, TheListReportsRowsAndSelectionToAccessibilityTools) {
    w->text_read(dir.write(QStringLiteral("r.txt"), "zero\r\none\r\ntwo\r\n"));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(w->List1());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 3);
    QAccessibleInterface* row = list->child(1);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->role(), QAccessible::ListItem);
    EXPECT_EQ(row->text(QAccessible::Name), QStringLiteral("one"));
    EXPECT_FALSE(row->state().selected);
    QTest::mouseClick(w->List1()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      w->List1()->rowRect(1).center());
    EXPECT_TRUE(list->child(1)->state().selected);
    EXPECT_FALSE(list->child(0)->state().selected);
    EXPECT_EQ(list->indexOfChild(list->focusChild()), 1);

    // Rows a search selects read as selected, as clicked ones do.
    whenModalShown([](QWidget* d) {
        d->findChild<QLineEdit*>(QStringLiteral("txtSearch"))->setText(QStringLiteral("t"));
        d->findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
    });
    w->findChild<QAction*>(QStringLiteral("mnuSearch"))->trigger();
    EXPECT_TRUE(list->child(2)->state().selected);
}

TEST_F(DesktopFixture, ToolbarButtonsAreNamedByTheirTooltips) {
    auto* bar = w->findChild<QToolBar*>(QStringLiteral("ToolbarMain"));
    for (QAction* a : bar->actions()) {
        if (a->isSeparator())
            continue;
        QAccessibleInterface* button =
            QAccessible::queryAccessibleInterface(bar->widgetForAction(a));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(QAccessible::Name), a->toolTip()) << a->objectName().toStdString();
    }
}

// The print dialog serves as printer setup: it reads as setup, not as printing.
TEST(QtDesktopDialogs, PrinterSetupReadsAsSetup) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    QString title, ok;
    whenModalShown([&](QWidget* dialog) {
        title = dialog->windowTitle();
        for (QDialogButtonBox* buttons : dialog->findChildren<QDialogButtonBox*>())
            if (QPushButton* b = buttons->button(QDialogButtonBox::Ok))
                ok = b->text();
        static_cast<QDialog*>(dialog)->reject();
    });
    QtDesktop desktop;
    desktop.printerSetup(nullptr, printer);
    EXPECT_EQ(title, QStringLiteral("プリンタの設定"));
    EXPECT_EQ(ok, QStringLiteral("OK"));
}

// The file dialogs take one file, show the filters by their captions, and start in the folder
// last used in this session.
TEST(QtDesktopDialogs, FileDialogsTakeOneFileAndRememberTheFolder) {
    TempDir dir;
    const QString chosen = dir.write(QStringLiteral("a.txt"), "a\r\n");
    QtDesktop desktop;
    bool single = false, captionsOnly = false;
    whenModalShown([&](QWidget* w) {
        auto* dialog = static_cast<QFileDialog*>(w);
        single = dialog->fileMode() == QFileDialog::ExistingFile;
        captionsOnly = dialog->testOption(QFileDialog::HideNameFilterDetails) &&
                       dialog->nameFilters().value(0).startsWith(QStringLiteral("全ファイル(*.*)"));
        dialog->setDirectory(dir.path());
        dialog->selectFile(chosen);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    EXPECT_EQ(desktop.openFileName(nullptr, textFileFilter()), chosen);
    EXPECT_TRUE(single);
    EXPECT_TRUE(captionsOnly);
    QString startedIn;
    whenModalShown([&](QWidget* w) {
        startedIn = static_cast<QFileDialog*>(w)->directory().absolutePath();
        static_cast<QDialog*>(w)->reject();
    });
    EXPECT_EQ(desktop.saveFileName(nullptr, QStringLiteral("書き出しファイル名"), textFileFilter()),
              QString());
    EXPECT_EQ(startedIn, QDir(dir.path()).absolutePath());
}

// A message box cannot be minimized or maximized: minimizing a modal box hides the program.
TEST(QtDesktopDialogs, MessageBoxesHaveNoMinimizeOrMaximize) {
    Qt::WindowFlags flags;
    whenModalShown([&](QWidget* box) {
        flags = box->windowFlags();
        static_cast<QDialog*>(box)->accept();
    });
    QtDesktop desktop;
    desktop.exclamation(nullptr, QStringLiteral("Karvel"), QStringLiteral("テスト"));
    // The window manager is told the buttons it may show: a title and a close box only.
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
}

} // namespace
