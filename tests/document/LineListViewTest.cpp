#include "document/LineListView.h"
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "support/TempDir.h"

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
        ASSERT_EQ(text_read(dir.write(QStringLiteral("rows.txt"), text), store), 0);
        view.resize(300, 200);
        view.show();
        view.documentReset();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QPoint at(std::ptrdiff_t row) { return view.rowRect(row).center(); }
    void click(std::ptrdiff_t row, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, m, at(row));
    }
    std::vector<std::size_t> selected() {
        std::vector<std::size_t> out;
        for (std::size_t i = 0; i < store.rowCount(); ++i)
            if (store.isSelected(i))
                out.push_back(i);
        return out;
    }
    using Rows = std::vector<std::size_t>;
    TempDir dir;
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

TEST_F(ListFixture, HorizontalRangeIsFixed) {
    EXPECT_EQ(view.horizontalScrollBar()->maximum(),
              LineListView::kHorizontalExtent - view.viewport()->width());
    view.resize(500, 200);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(),
              LineListView::kHorizontalExtent - view.viewport()->width());
}

} // namespace
