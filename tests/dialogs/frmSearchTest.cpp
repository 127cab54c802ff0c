#include "dialogs/frmSearch.h"

#include <QLineEdit>
#include <QPushButton>
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
        EXPECT_EQ(d.windowTitle(), QStringLiteral("文字列の検索"));
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

TEST(frmSearch, ClosingByTheCloseBoxIsACancel) {
    QString searchStr = QStringLiteral("x");
    frmSearch d(nullptr, searchStr);
    d.show();
    d.close();
    EXPECT_FALSE(d.SearchOk);
}

} // namespace

namespace {

// A long search string (a pasted log line of 40,000 characters) is kept whole, not cut.
TEST(frmSearch, TakesAStringOfAnyLength) {
    QWidget main;
    QString searchStr;
    frmSearch d(&main, searchStr);
    const QString pasted(40000, QLatin1Char('x'));
    d.txtSearch->setText(pasted);
    EXPECT_EQ(d.txtSearch->text().size(), 40000);
    EXPECT_EQ(searchStr, pasted);
}

} // namespace
