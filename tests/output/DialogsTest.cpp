#include "document/LineStore.h"
#include "output/frmComment.h"
#include "output/frmSelFileName.h"
#include "settings/IniSettings.h"
#include "support/DocumentRows.h"
#include "support/FakeDesktop.h"
#include "support/FakePrinter.h"
#include "support/TempDir.h"
#include "ui/LongWork.h"
#include "ui/OnScreen.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class OutputDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(readBytes(rows, "a\r\nb\r\nc\r\n"));
        rows.setSelected(0, true);
        rows.setSelected(2, true);
        main.move(200, 150);
    }
    QPushButton* button(QWidget& d, const char* name) {
        return d.findChild<QPushButton*>(QLatin1String(name));
    }
    TempDir dir;
    LineStore rows;
    IniSettingsRecord settings;
    FakeDesktop desktop;
    LongWork work{desktop};
    FakePrinter printer;
    QWidget main;
};

TEST_F(OutputDialogs, SelFileNameWritesAndRemembersOnlyAfterSuccess) {
    const QString out = dir.file(QStringLiteral("out.txt"));
    settings.Append_mode = 1;
    {
        frmSelFileName d(&main, settings, rows, desktop, work);
        EXPECT_EQ(d.txtSelFileName->text(), QString());               // first use: empty
        EXPECT_EQ(frameCorner(&d, &main), main.pos() + QPoint(7, 7)); // 100 twips
        d.show();
        QTest::keyClicks(d.txtSelFileName, out);
        QTest::keyClick(d.txtSelFileName, Qt::Key_Return); // only moves the focus
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_EQ(d.focusWidget(), button(d, "cmdOk"));
        QTest::keyClick(button(d, "cmdOk"), Qt::Key_Return); // Enter on the focused OK
        EXPECT_EQ(TempDir::read(out), "a\r\nc\r\n");
        EXPECT_FALSE(d.isVisible());
    }
    EXPECT_EQ(settings.SelFileName, out);
    frmSelFileName again(&main, settings, rows, desktop, work);
    EXPECT_EQ(again.txtSelFileName->text(), out);
    again.show();
    button(again, "cmdOk")->click();
    EXPECT_EQ(TempDir::read(out), "a\r\nc\r\na\r\nc\r\n"); // append mode accumulates
}

TEST_F(OutputDialogs, SelFileNameFailureKeepsTheDialogAndTheOldName) {
    settings.SelFileName = QStringLiteral("/old/name.txt");
    frmSelFileName d(&main, settings, rows, desktop, work);
    d.show();
    const QString bad = dir.file(QStringLiteral("missing/out.txt"));
    d.txtSelFileName->setText(bad);
    button(d, "cmdOk")->click();
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0].title, QString());
    EXPECT_EQ(desktop.messages[0].text, QStringLiteral("ファイルをオープンできません"));
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.txtSelFileName->text(), bad);
    EXPECT_EQ(settings.SelFileName, QStringLiteral("/old/name.txt"));
    QTest::keyClick(&d, Qt::Key_Escape); // no cancel button: Esc does nothing
    EXPECT_TRUE(d.isVisible());
    button(d, "cmdCancel")->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(settings.SelFileName, QStringLiteral("/old/name.txt"));
}

TEST_F(OutputDialogs, SelFileNameChangeOnlyFillsTheBoxAndEmptyOkWritesNothing) {
    frmSelFileName d(&main, settings, rows, desktop, work);
    d.show();
    desktop.saveAnswers = {QStringLiteral("/chosen.txt"), QString()};
    button(d, "cmdChange")->click();
    EXPECT_EQ(d.txtSelFileName->text(), QStringLiteral("/chosen.txt"));
    button(d, "cmdChange")->click(); // cancelled: the box keeps its content
    EXPECT_EQ(d.txtSelFileName->text(), QStringLiteral("/chosen.txt"));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/chosen.txt")));
    EXPECT_EQ(settings.SelFileName, QString());
    d.txtSelFileName->clear();
    button(d, "cmdOk")->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(desktop.messages.isEmpty());
}

// The comment is written in the document's encoding and line end: code page 932 with the forms
// of what an input method types, UTF-8 as typed; a character code page 932 lacks is refused
// with its name, and the dialog and the file stay as they were.
TEST_F(OutputDialogs, CommentFollowsTheDocumentsEncodingAndLineEnd) {
    using enum TextEncoding;
    using enum LineEndStyle;
    const struct {
        TextFormat format;
        QString typed;
        QByteArray written; // empty: refused
    } cases[] = {
        {{Cr, Cp932}, "\u301C注", "\x81\x60" + sjis("注") + "\r\n"},
        {{Lf, Cp932}, "注", sjis("注") + "\n"},
        {{Lf, Utf8}, "9:00\u301C 😀 注", "9:00\xe3\x80\x9c \xf0\x9f\x98\x80 \xe6\xb3\xa8\n"},
        {{Cr, Cp932}, "smile 😀", {}},
    };
    for (const auto& c : cases) {
        desktop.messages.clear();
        const QString out = dir.write(QStringLiteral("c.txt"), "precious\r\n");
        frmComment d(&main, settings, printer, QFont(), PrintMargins{}, desktop, work, c.format);
        d.show();
        d.txtComment->setText(c.typed);
        desktop.saveAnswers = {out};
        button(d, "cmdFile")->click();
        if (c.written.isEmpty()) {
            ASSERT_EQ(desktop.messages.size(), 1);
            EXPECT_TRUE(desktop.messages[0].text.contains(QStringLiteral("U+1F600")));
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(d.txtComment->text(), c.typed);
            EXPECT_EQ(TempDir::read(out), "precious\r\n");
        } else {
            EXPECT_TRUE(desktop.messages.isEmpty()) << qPrintable(c.typed);
            EXPECT_FALSE(d.isVisible());
            EXPECT_EQ(TempDir::read(out), c.written) << qPrintable(c.typed);
        }
    }
    EXPECT_EQ(settings.SelFileName, QString());
}

TEST_F(OutputDialogs, CommentWriteFailureKeepsTheDialogAndCancelClosesIt) {
    frmComment d(&main, settings, printer, QFont(), PrintMargins{}, desktop, work);
    d.show();
    d.txtComment->setText(QStringLiteral("text"));
    desktop.saveAnswers = {QStringLiteral("/dev/full")};
    button(d, "cmdFile")->click();
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0].text, QStringLiteral("ファイルをオープンできません"));
    EXPECT_TRUE(d.isVisible());
    desktop.saveAnswers = {QString()}; // Cancel in the save dialog closes the comment too
    button(d, "cmdFile")->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(printer.line.isEmpty());
}

} // namespace
