#include "dialogs/frmSystemSet.h"
#include "settings/IniSettings.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(frmSystemSet, LoadSelectsOneOptionPerGroupAndNormalises) {
    QWidget main;
    main.move(100, 100);
    IniSettingsRecord s;
    s.Append_mode = 1;
    s.FileSel_mode = 0;
    s.Page_mode = 2;
    frmSystemSet d(&main, s);
    EXPECT_EQ(d.pos(), main.pos() + QPoint(80, 80));
    EXPECT_TRUE(d.optAppendMode[0]->isChecked());
    EXPECT_TRUE(d.optFileSelMode[0]->isChecked());
    EXPECT_TRUE(d.optPageMode[1]->isChecked());
    EXPECT_EQ(s.Page_mode, 1); // selecting from code stores like a click
    EXPECT_EQ(d.optAppendMode[1]->text(), QStringLiteral("上書き"));
    EXPECT_EQ(d.optPageMode[1]->text(), QStringLiteral("印字のたびに自動的に用紙排出する"));
}

TEST(frmSystemSet, EachClickStoresAtOnceAndLeavesOtherGroups) {
    IniSettingsRecord s;
    frmSystemSet d(nullptr, s);
    d.show();
    EXPECT_TRUE(d.optAppendMode[1]->isChecked());
    QTest::mouseClick(d.optAppendMode[0], Qt::LeftButton);
    EXPECT_EQ(s.Append_mode, 1);
    QTest::mouseClick(d.optFileSelMode[1], Qt::LeftButton);
    EXPECT_EQ(s.FileSel_mode, 1);
    EXPECT_TRUE(d.optAppendMode[0]->isChecked());
    EXPECT_TRUE(d.optPageMode[0]->isChecked());
    d.optPageMode_Click(7); // an index other than 0 or 1 stores nothing
    EXPECT_EQ(s.Page_mode, 0);
    d.close(); // the close box keeps every choice
    EXPECT_EQ(s.Append_mode, 1);
}

TEST(frmSystemSet, TabVisitsFrame1Frame2OkFrame3) {
    IniSettingsRecord s;
    frmSystemSet d(nullptr, s);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    d.optAppendMode[1]->setFocus();
    std::vector<QString> visited;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* f = QApplication::focusWidget();
        visited.push_back(f->objectName() + (f->property("Index").isValid()
                                                 ? f->property("Index").toString()
                                                 : QString()));
    }
    EXPECT_EQ(visited,
              (std::vector<QString>{"optPageMode0", "cmdOk", "optFileSelMode0", "optAppendMode1"}));
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_TRUE(d.isVisible());
}

} // namespace
