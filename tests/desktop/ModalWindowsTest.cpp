// A minimized modal dialog comes back at once and the program with it (on the real desktop the
// window manager minimizes it as a click on its minimize button would).
#include "ui/ModalWindows.h"
#include "dialogs/frmSearch.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(ModalWindows, AMinimizedModalDialogComesBackWithItsProgram) {
    ModalWindowsStayUp stayUp;
    qApp->installEventFilter(&stayUp);
    QWidget main;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    QString searchStr;
    frmSearch modal(&main, searchStr);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Karvel"), QStringLiteral("メッセージ"),
                    QMessageBox::Ok, &main);
    box.setModal(true);
    for (QWidget* dialog : {static_cast<QWidget*>(&modal), static_cast<QWidget*>(&box)}) {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        dialog->showMinimized();
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->isVisible() && !dialog->isMinimized(); }))
            << qPrintable(dialog->windowTitle());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !main.isMinimized(); }));
        dialog->hide();
    }
    // A window that is not modal minimizes as asked.
    QWidget free(&main, Qt::Window);
    free.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&free));
    free.showMinimized();
    bool passed = false; // once whatever the state change queued has run
    QTimer::singleShot(0, &free, [&passed] { passed = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return passed; }));
    EXPECT_TRUE(free.isMinimized());
    qApp->removeEventFilter(&stayUp);
}

} // namespace
