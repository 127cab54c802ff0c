// A minimized modal dialog comes back at once and the program with it (on the real desktop the
// window manager minimizes it as a click on its minimize button would; on Wayland the request
// goes to the compositor as the title bar's button sends it), and again whenever a window it
// blocks is activated.
#include "ui/ModalWindows.h"
#include "dialogs/frmSearch.h"
#include "ui/OnScreen.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct EventCount : QObject {
    explicit EventCount(QEvent::Type type) : type(type) {}
    QEvent::Type type;
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == type;
        return false;
    }
};

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
        // Wayland never reports the window minimized: there it must be shown anew.
        EventCount shown(QEvent::Show);
        dialog->installEventFilter(&shown);
        dialog->showMinimized();
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return dialog->isVisible() && !dialog->isMinimized() &&
                   (windowPositionsKnown() || shown.count > 0);
        })) << qPrintable(dialog->windowTitle());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !main.isMinimized(); }));
        // The window it blocks, activated as a click on it activates it, hands the keyboard back
        // to it. On Wayland, where a program cannot activate a window (nor can anything on a
        // compositor without a seat), it is shown anew; xcb hands the focus on itself.
        const int before = shown.count;
        EventCount activated(QEvent::WindowActivate);
        main.installEventFilter(&activated);
        if (windowPositionsKnown()) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == dialog; }));
            main.activateWindow();
        } else {
            QApplication::setActiveWindow(dialog);
            QApplication::setActiveWindow(&main);
        }
        EXPECT_TRUE(QTest::qWaitFor([&] {
            if (!windowPositionsKnown())
                return shown.count > before;
            return (activated.count > 0 || QGuiApplication::platformName() == "xcb") &&
                   QApplication::activeWindow() == dialog;
        })) << qPrintable(dialog->windowTitle());
        main.removeEventFilter(&activated);
        dialog->removeEventFilter(&shown);
        dialog->hide();
    }
    if (!windowPositionsKnown())
        return; // Qt never learns there that a window is minimized
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
