// The search, system settings and About dialogs.
#include "dialogs/frmSearch.h"
#include "dialogs/frmSystemSet.h"
#include "settings/IniSettings.h"
#include "support/Activation.h"
#include "ui/OnScreen.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(frmSearch, TheStringFollowsEveryEditAndOnlyOkConfirms) {
    QWidget main;
    QString searchStr;
    {
        frmSearch d(&main, searchStr);
        d.show();
        EXPECT_EQ(d.focusWidget(), d.txtSearch);
        QTest::keyClicks(d.txtSearch, QStringLiteral("abc"));
        EXPECT_EQ(searchStr, QStringLiteral("abc"));
        d.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        EXPECT_FALSE(d.SearchOk);
    }
    frmSearch d(&main, searchStr);
    d.show();
    EXPECT_EQ(d.txtSearch->text(), QStringLiteral("abc")); // the cancelled text comes back
    QTest::keyClick(d.txtSearch, Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.SearchOk);
    auto* ok = d.findChild<QPushButton*>(QStringLiteral("cmdOk"));
    EXPECT_EQ(d.focusWidget(), ok);
    QStyleOptionButton look;
    look.initFrom(ok);
    EXPECT_TRUE(look.state & QStyle::State_KeyboardFocusChange); // drawn with its focus ring
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_TRUE(d.isVisible());
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_TRUE(d.SearchOk);
    EXPECT_FALSE(d.isVisible());
}

// The close box is a cancel; a long search string (a pasted log line) is kept whole.
TEST(frmSearch, ClosingIsACancelAndAStringOfAnyLengthIsKept) {
    QString searchStr = QStringLiteral("x");
    frmSearch d(nullptr, searchStr);
    d.show();
    const QString pasted(40000, QLatin1Char('x'));
    d.txtSearch->setText(pasted);
    EXPECT_EQ(searchStr, pasted);
    d.close();
    EXPECT_FALSE(d.SearchOk);
}

TEST(frmSystemSet, LoadSelectsOneOptionPerGroupAndNormalises) {
    QWidget main;
    main.move(100, 100);
    IniSettingsRecord s;
    s.Append_mode = 1;
    s.FileSel_mode = 0;
    s.Page_mode = 2;
    frmSystemSet d(&main, s);
    EXPECT_EQ(frameCorner(&d, &main), main.pos() + QPoint(80, 80));
    EXPECT_TRUE(d.optAppendMode[0]->isChecked());
    EXPECT_TRUE(d.optFileSelMode[0]->isChecked());
    EXPECT_TRUE(d.optPageMode[1]->isChecked());
    EXPECT_EQ(s.Page_mode, 1); // selecting from code stores like a click
    // The focus starts on the first group's checked choice, whichever it is.
    EXPECT_EQ(d.focusWidget(), d.optAppendMode[0]);
    s.Append_mode = 0;
    frmSystemSet overwrite(&main, s);
    EXPECT_EQ(overwrite.focusWidget(), overwrite.optAppendMode[1]);
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
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    activate(d);
    d.optAppendMode[1]->setFocus();
    std::vector<QString> visited;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* f = QApplication::focusWidget();
        visited.push_back(f->objectName() + f->property("Index").toString());
    }
    EXPECT_EQ(visited,
              (std::vector<QString>{"optPageMode0", "cmdOk", "optFileSelMode0", "optAppendMode1"}));
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_TRUE(d.isVisible());
}

} // namespace
