#include "listview/LineListView.h"
#include "document/LineStore.h"
#include "support/Activation.h"
#include "support/Clipboard.h"
#include "support/DocumentRows.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ListFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        QByteArray text;
        for (int i = 0; i < 100; ++i)
            text += "row " + QByteArray::number(i) + "\r\n";
        ASSERT_TRUE(readBytes(store, text));
        view.resize(300, 200);
        view.show();
        view.documentReset();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QPoint at(std::ptrdiff_t row) { return view.rowRect(row).center(); }
    void click(std::ptrdiff_t row, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, m, at(row));
    }
    std::vector<std::size_t> selected() const { return selectedRows(store); }
    using Rows = std::vector<std::size_t>;
    LineStore store;
    LineListView view{store};
};

TEST_F(ListFixture, MouseSelectsLikeAnExtendedSelectionList) {
    click(2);
    EXPECT_EQ(selected(), Rows{2});
    click(5, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (Rows{2, 3, 4, 5}));
    click(8, Qt::ControlModifier);
    EXPECT_EQ(selected(), (Rows{2, 3, 4, 5, 8}));
    click(3, Qt::ControlModifier);
    EXPECT_EQ(selected(), (Rows{2, 4, 5, 8}));
    click(1, Qt::ShiftModifier); // from the last Ctrl+click
    EXPECT_EQ(selected(), (Rows{1, 2, 3}));
    click(7);
    EXPECT_EQ(selected(), Rows{7});
    // Dragging held below the list scrolls it and selects as it goes, until the button is let go.
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, at(2));
    QTest::mouseMove(view.viewport(), QPoint(at(2).x(), view.viewport()->height() + 5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.topRow() > 3; }));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, at(2));
    const std::ptrdiff_t last = view.currentRow();
    EXPECT_EQ(selected().size(), std::size_t(last - 1)); // rows 2 to the current one
    EXPECT_EQ(selected().back(), std::size_t(last));
}

TEST_F(ListFixture, KeyboardMovesAndSelects) {
    click(0);
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(selected(), Rows{2});
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (Rows{2, 3}));
    QTest::keyClick(&view, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(selected(), (Rows{2, 3, 5}));
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(selected(), Rows{99});
    EXPECT_EQ(view.currentRow(), 99);
    EXPECT_GT(view.verticalScrollBar()->value(), 0); // the current row was scrolled into view
    QTest::keyClick(&view, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(selected().size(), 100u);
    QTest::keyClick(&view, Qt::Key_PageDown);
    EXPECT_GT(view.currentRow(), 1);
    EXPECT_EQ(selected().size(), 1u);
}

TEST_F(ListFixture, TheCurrentRowIsOutlinedWhileTheListHasTheFocus) {
    activate(view);
    click(3); // focus from the mouse, no Tab pressed yet
    ASSERT_TRUE(view.hasFocus());
    const QRect row = view.rowRect(4);
    QTest::keyClick(&view, Qt::Key_Down, Qt::ControlModifier); // current row 4, not selected
    const QImage focused = view.viewport()->grab(row).toImage();
    view.clearFocus();
    const QImage unfocused = view.viewport()->grab(row).toImage();
    EXPECT_NE(focused, unfocused);
    // On the screen the moment a list in a window gets the focus, before any key or click.
    QWidget window;
    LineListView list(store, &window);
    list.resize(300, 200);
    list.documentReset();
    window.show();
    activate(window);
    list.clearFocus();
    const QRect current = list.rowRect(list.currentRow());
    auto onScreen = [&] {
        const QPoint at = list.viewport()->mapTo(&window, current.topLeft());
        return window.screen()
            ->grabWindow(window.winId(), at.x(), at.y(), current.width(), current.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    if (onScreen().isNull())
        GTEST_SKIP() << "this platform cannot show what is on the screen";
    const QImage plain =
        list.viewport()->grab(current).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(QTest::qWaitFor([&] { return onScreen() == plain; }));
    list.setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return onScreen() != plain; }));
}

// A screen reader asks the list for its selection as a table of one column.
TEST_F(ListFixture, TheSelectionCanBeAskedFor) {
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&view);
    QAccessibleTableInterface* table = list->tableInterface();
    ASSERT_TRUE(table);
    EXPECT_TRUE(list->state().multiSelectable);
    for (std::size_t row : {3, 64, 99})
        store.setSelected(row, true);
    EXPECT_EQ(table->selectedRowCount(), 3);
    EXPECT_EQ(table->selectedRows(), (QList<int>{3, 64, 99}));
    EXPECT_EQ(table->selectedCells().size(), 3);
    EXPECT_EQ(table->selectedCells()[1]->text(QAccessible::Name), QStringLiteral("row 64"));
    EXPECT_TRUE(table->isRowSelected(64));
    EXPECT_FALSE(table->isRowSelected(65));
    EXPECT_TRUE(table->cellAt(99, 0)->tableCellInterface()->isSelected());
    EXPECT_EQ(table->cellAt(99, 0)->tableCellInterface()->rowIndex(), 99);
    EXPECT_TRUE(table->selectRow(65));
    EXPECT_TRUE(table->unselectRow(3));
    EXPECT_EQ(selected(), (Rows{64, 65, 99}));
    EXPECT_FALSE(table->isColumnSelected(0));
    EXPECT_TRUE(table->selectColumn(0));
    EXPECT_EQ(table->selectedRowCount(), 100);
    EXPECT_TRUE(table->isColumnSelected(0));
    EXPECT_TRUE(table->unselectColumn(0));
    EXPECT_EQ(table->selectedRowCount(), 0);
    QAccessibleActionInterface* action = table->cellAt(7, 0)->actionInterface();
    ASSERT_TRUE(action);
    EXPECT_EQ(action->actionNames(), QStringList{QAccessibleActionInterface::toggleAction()});
    action->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(selected(), Rows{7});
}

// The copy key puts the selected rows on the real clipboard, decoded, one line feed each.
TEST(CopyKey, CopiesTheSelectedRowsAsText) {
    if (!clipboardWorks())
        GTEST_SKIP() << "no clipboard on this display (a compositor without a seat)";
    struct Case {
        const char* name;
        QByteArray file;
        std::vector<std::size_t> select;
        QString copied;
    } cases[] = {
        {"code page 932, in row order",
         sjis("一行目") + "\r\nsecond\r\n" + sjis("三行目") + "\r\n",
         {2, 0},
         QStringLiteral("一行目\n三行目\n")},
        {"utf-8 with lf", "alpha\n接続\nomega\n", {1, 2}, QStringLiteral("接続\nomega\n")},
        {"invalid bytes",
         QByteArray("a\x80\xff"
                    "b\r\n\xfd\r\n",
                    9),
         {0, 1},
         QStringLiteral("a\uFFFD\uFFFDb\n\uFFFD\n")},
        {"empty rows", "\r\n\r\nx\r\n", {0, 1}, QStringLiteral("\n\n")},
        {"nothing selected: the clipboard as it was", "a\r\n", {}, QStringLiteral("before")},
    };
    for (const Case& c : cases) {
        LineStore store;
        ASSERT_TRUE(readBytes(store, c.file)) << c.name;
        for (std::size_t r : c.select)
            store.setSelected(r, true);
        LineListView view(store);
        view.show();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QTest::keySequence(&view, QKeySequence::Copy);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), c.copied) << c.name;
    }
}

TEST(CopyKey, ALargeSelectionIsCopiedWhole) {
    if (!clipboardWorks())
        GTEST_SKIP() << "no clipboard on this display (a compositor without a seat)";
    QByteArray text;
    // Over eight megabytes: converted in two halves at once.
    for (int i = 0; i < 400000; ++i)
        text += "2026-12-01 row " + QByteArray::number(i) + " " + sjis("接続") + "\r\n";
    LineStore store;
    ASSERT_TRUE(readBytes(store, text));
    store.setRangeSelected(0, store.rowCount() - 1, true);
    LineListView view(store);
    view.show();
    QTest::keySequence(&view, QKeySequence::Copy);
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(copied.count(QLatin1Char('\n')), 400000);
    EXPECT_TRUE(
        copied.startsWith(QStringLiteral("2026-12-01 row 0 接続\n2026-12-01 row 1 接続\n")));
    EXPECT_TRUE(copied.contains(QStringLiteral("row 199999 接続\n2026-12-01 row 200000 接続\n")));
    EXPECT_TRUE(copied.endsWith(QStringLiteral("row 399999 接続\n")));
}

} // namespace
