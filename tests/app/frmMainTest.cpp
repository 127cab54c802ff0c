// The main window: start-up and shutdown, opening files (by command, command line and drop), and
// what the desktop's tools see of it.
#include "app/frmMain.h"
#include "app/ApplicationSetup.h"
#include "listview/LineListView.h"
#include "support/FakeDesktop.h"
#include "support/FakePrinter.h"
#include "support/Modal.h"
#include "support/TempDir.h"
#include "system/FileIO.h"
#include "text/Cp932.h"
#include "ui/QtDesktop.h"

#include <QAccessible>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QStringEncoder>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class MainFixture : public ::testing::Test {
  protected:
    std::unique_ptr<frmMain> start(const QString& commandLine = QString()) {
        auto w = std::make_unique<frmMain>(dir.path(), desktop, printer);
        w->Form_Load(commandLine);
        return w;
    }
    QString ini() const { return dir.file(QStringLiteral("KARVEL.INI")); }
    static QString panel(frmMain& w, const char* key) {
        return w.findChild<QLabel*>(QLatin1String(key))->text();
    }
    static QString caption(const QString& file) { return "Karvel -" + file + "-"; }
    // Drags data onto the list and drops it; returns whether the window took the drop.
    static bool drop(frmMain& w, QMimeData* data) {
        const QPoint at = w.List1()->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &dropped);
        return dropped.isAccepted();
    }
    TempDir dir;
    FakeDesktop desktop;
    FakePrinter printer;
};

TEST(ApplicationSetup, GivesEveryWindowTheIconAFontWithJapaneseAndJapaneseDialogs) {
    const QFont before = QApplication::font();
    setUpApplication();
    const QString family = QApplication::font().family();
    EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese))
        << qPrintable(family);
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("io.karvel.Karvel32"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
              QStringLiteral("キャンセル"));
    QApplication::setFont(before);
}

// High-density screens get each toolbar picture with every pixel repeated, as crisp as at 1x,
// on a transparent background.
TEST_F(MainFixture, ToolbarPicturesStayCrispOnHighDensityScreens) {
    auto w = start();
    for (QAction* a : w->findChild<QToolBar*>(QStringLiteral("ToolbarMain"))->actions()) {
        if (a->isSeparator())
            continue;
        const QImage once = a->icon().pixmap(16, 16).toImage();
        const QImage twice = a->icon().pixmap(QSize(16, 16), 2.0).toImage();
        EXPECT_EQ(qAlpha(once.pixel(0, 0)), 0) << qPrintable(a->objectName());
        ASSERT_EQ(twice.size(), QSize(32, 32)) << qPrintable(a->objectName());
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(twice.pixel(2 * x + 1, 2 * y + 1), once.pixel(x, y))
                    << qPrintable(a->objectName());
    }
}

TEST_F(MainFixture, AppendModeButtonMirrorsTheSetting) {
    auto w = start();
    QAction* button = w->toolbarButton(QStringLiteral("btnAppendMode"));
    auto state = [&] {
        return std::make_pair(button->isChecked(),
                              button->icon().cacheKey() == w->toolbarPicture(7).cacheKey() ? 7 : 8);
    };
    EXPECT_EQ(state(), std::make_pair(true, 8)); // overwrite at start
    button->trigger();                           // the toolbar flips it, then reports the click
    EXPECT_EQ(w->IniSettings.Append_mode, 1);
    EXPECT_EQ(state(), std::make_pair(false, 7));
    w->IniSettings.Append_mode = 5;
    w->AppendModeCaptionSet();
    EXPECT_EQ(w->IniSettings.Append_mode, 0);
    EXPECT_EQ(state(), std::make_pair(true, 8));
}

TEST_F(MainFixture, SettingsFileIsHonouredAndRewrittenOnClose) {
    dir.write(QStringLiteral("KARVEL.INI"),
              "[Karvel]\r\nAppend_mode=1\r\nPage_mode=2\r\nTop=1500\r\nLeft=1200\r\n"
              "Height=6000\r\nWidth=9000\r\nFontSize=14\r\nFileSel_mode=1\r\n"
              "SelFileName=/tmp/out.txt\r\n");
    auto w = start();
    EXPECT_TRUE(desktop.messages.isEmpty());
    EXPECT_FALSE(w->toolbarButton(QStringLiteral("btnAppendMode"))->isChecked());
    EXPECT_EQ(w->pos(), QPoint(80, 100));
    EXPECT_EQ(w->size(), QSize(600, 400));
    EXPECT_EQ(panel(*w, "FontSize"), QStringLiteral(" 14pts."));
    EXPECT_EQ(panel(*w, "FontName"), w->List1()->font().family());
    // Shown where the platform cannot tell the place (Wayland), it writes back the place read.
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->close();
    EXPECT_EQ(TempDir::read(ini()),
              "[Karvel]\r\nAppend_mode= 1 \r\nPage_mode= 2 \r\nTop= 1500 \r\nLeft= 1200 \r\n"
              "Height= 6000 \r\nWidth= 9000 \r\nFontName=" +
                  w->List1()->font().family().toUtf8() +
                  "\r\nFontSize= 14 \r\nFileSel_mode= 1 \r\nSelFileName=/tmp/out.txt\r\n");
}

TEST_F(MainFixture, ABadFontSizeStopsReadingWithAMessage) {
    dir.write(QStringLiteral("KARVEL.INI"), "Page_mode=1\r\nFontSize=big\r\nFileSel_mode=1\r\n");
    auto w = start();
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0].text, QStringLiteral("型が一致しません。"));
    EXPECT_EQ(w->IniSettings.Page_mode, 1);
    EXPECT_EQ(w->IniSettings.FileSel_mode, 0);
}

TEST_F(MainFixture, CommandLineFileIsLoadedAndNamedInTheCaptionEvenWhenMissing) {
    const QString p = dir.write(QStringLiteral("日本語 file.txt"), sjis("一行目\r\n二行目\r\n"));
    auto w = start(p);
    EXPECT_EQ(w->LineList.rowText(1), QStringLiteral("二行目"));
    EXPECT_EQ(w->windowTitle(), caption(p));
    EXPECT_TRUE(desktop.messages.isEmpty());
    const QString missing = dir.file(QStringLiteral("a.txt")) + QStringLiteral(" b.txt");
    auto v = start(missing);
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0].text, QStringLiteral("ファイルが見つかりません。"));
    EXPECT_EQ(v->LineCount(), 0u);
    EXPECT_EQ(v->windowTitle(), caption(missing));
}

TEST_F(MainFixture, OpenCommandLoadsTheChosenFileAndCancelChangesNothing) {
    auto w = start();
    const QString p = dir.write(QStringLiteral("a.txt"), "x\r\ny\r\n");
    desktop.openAnswers = {p};
    w->toolbarButton(QStringLiteral("btnOpen"))->trigger();
    EXPECT_EQ(w->LineCount(), 2u);
    EXPECT_EQ(w->windowTitle(), caption(p));
    w->LineList.setSelected(1, true);
    desktop.openAnswers = {QString()};
    w->findChild<QAction*>(QStringLiteral("mnuFileOpen"))->trigger();
    EXPECT_EQ(w->LineCount(), 2u);
    EXPECT_TRUE(w->LineList.isSelected(1));
    EXPECT_EQ(w->windowTitle(), caption(p));
}

// The status panel names how the file was read; reading it again in another encoding or line
// end starts afresh and holds for that file until another one is opened.
TEST_F(MainFixture, AFileIsReadAgainInTheEncodingAndLineEndChosen) {
    const QByteArray euc = QStringEncoder("EUC-JP").encode(QStringLiteral("見出し\n本文\n"));
    const QString p = dir.write(QStringLiteral("euc.txt"), euc);
    auto w = start(p);
    auto* panel = w->findChild<QToolButton*>(QStringLiteral("Format"));
    auto choose = [&](const QString& caption) {
        for (QAction* a : panel->menu()->actions())
            if (a->text() == caption)
                return a->trigger();
        FAIL() << qPrintable(caption);
    };
    auto checked = [&] {
        QStringList on;
        for (QAction* a : panel->menu()->actions())
            if (a->isChecked())
                on << a->text();
        return on;
    };
    EXPECT_EQ(panel->text(), QStringLiteral("EUC-JP LF"));
    EXPECT_EQ(w->LineList.rowText(0), QStringLiteral("見出し"));
    w->LineList.setSelected(1, true);
    choose(QStringLiteral("シフトJIS"));
    EXPECT_EQ(panel->text(), QStringLiteral("シフトJIS LF"));
    EXPECT_EQ(w->LineList.rowText(0),
              cp932::decode(QStringEncoder("EUC-JP").encode(QStringLiteral("見出し"))));
    EXPECT_EQ(w->LineList.selectedCount(), 0u);
    EXPECT_EQ(w->windowTitle(), caption(p));
    choose(QStringLiteral("CR (CR LF)"));
    EXPECT_EQ(panel->text(), QStringLiteral("シフトJIS CRLF"));
    EXPECT_EQ(w->LineCount(), 1u); // LF stays inside the row now
    EXPECT_EQ(checked(), (QStringList{QStringLiteral("シフトJIS"), QStringLiteral("CR (CR LF)")}));
    desktop.openAnswers = {dir.write(QStringLiteral("u.txt"), "本文\n")};
    w->findChild<QAction*>(QStringLiteral("mnuFileOpen"))->trigger();
    EXPECT_EQ(panel->text(), QStringLiteral("UTF-8 LF"));
    EXPECT_EQ(checked(), (QStringList{QStringLiteral("自動判定"), QStringLiteral("自動")}));
}

// Whatever cannot be opened as a text file gives its message and leaves the rows, the selection
// and the view where they were; a file that opens starts again at the top.
TEST_F(MainFixture, AFileThatCannotBeOpenedLeavesTheViewWhereItWas) {
    QByteArray text;
    for (int i = 0; i < 500; ++i)
        text += "row " + QByteArray::number(i) + "\r\n";
    const QString p = dir.write(QStringLiteral("a.txt"), text);
    auto w = start(p);
    w->show();
    LineListView* list = w->List1();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->rowHeight() * 3 + 2));
    QTest::keyClick(list, Qt::Key_PageDown);
    const std::ptrdiff_t current = list->currentRow();
    const int scrolled = list->verticalScrollBar()->value();
    ASSERT_GT(current, 3);
    ASSERT_GT(scrolled, 0);
    const QString fifo = dir.file(QStringLiteral("fifo")); // must not wait for a writer
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QString file;
        QString message;
    } cases[] = {{dir.file(QStringLiteral("missing.txt")), "ファイルが見つかりません。"},
                 {dir.path(), "パス名が無効です。"},
                 {fifo, "ファイル名または番号が不正です。"},
                 {QStringLiteral("/dev/null"), "ファイル名または番号が不正です。"}};
    for (const auto& c : cases) {
        desktop.messages.clear();
        desktop.openAnswers = {c.file};
        w->toolbarButton(QStringLiteral("btnOpen"))->trigger();
        ASSERT_EQ(desktop.messages.size(), 1) << qPrintable(c.file);
        EXPECT_EQ(desktop.messages[0].text, c.message);
        EXPECT_EQ(w->LineCount(), 500u);
        EXPECT_TRUE(w->LineList.isSelected(std::size_t(current)));
        EXPECT_EQ(list->currentRow(), current);
        EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
    }
    desktop.openAnswers = {dir.write(QStringLiteral("b.txt"), "x\r\n")};
    w->toolbarButton(QStringLiteral("btnOpen"))->trigger();
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
}

TEST_F(MainFixture, ADroppedFileLoadsLikeAnOpenedOneAndOthersAreRefused) {
    auto w = start();
    w->show();
    const QString a = dir.write(QStringLiteral("a.txt"), "a\r\n");
    const QString b = dir.write(QStringLiteral("b.txt"), sjis("一\r\n二\r\n"));
    QMimeData two, text, remote, one;
    two.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    text.setText(QStringLiteral("just text"));
    remote.setUrls({QUrl(QStringLiteral("https://example.invalid/a.txt"))});
    for (QMimeData* data : {&two, &text, &remote})
        EXPECT_FALSE(drop(*w, data));
    EXPECT_EQ(w->LineCount(), 0u);
    one.setUrls({QUrl::fromLocalFile(b)});
    EXPECT_TRUE(drop(*w, &one));
    EXPECT_EQ(w->LineCount(), 2u);
}

// A name in Shift-JIS bytes, as a Windows archive unpacks: the file opens from the command line,
// the open dialog (which decodes the name lossily) and a drop, and the caption reads it in
// Japanese; the remembered output name writes to its exact bytes and is kept in KARVEL.INI.
TEST_F(MainFixture, AShiftJisNamedFileKeepsItsBytesByEveryRoute) {
    const QByteArray folder = QFile::encodeName(dir.path()) + '/' + sjis("資料");
    const QByteArray file = folder + '/' + sjis("テスト.txt");
    const QByteArray out = folder + '/' + sjis("出力.txt");
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    struct Remove { // the temporary folder cannot remove names that are not UTF-8
        QByteArrayList names;
        ~Remove() {
            for (const QByteArray& name : names)
                ::remove(name.constData());
        }
    } remove{{file, out, folder}};
    ASSERT_TRUE(TempDir::writeBytes(file, sjis("一行目\r\n二行目\r\n")));
    const QString shown = caption(dir.path() + QStringLiteral("/資料/テスト.txt"));
    auto opened = [&](frmMain& w, const char* route) {
        ASSERT_EQ(w.LineCount(), 2u) << route;
        EXPECT_EQ(w.LineList.rowText(1), QStringLiteral("二行目")) << route;
        EXPECT_EQ(w.windowTitle().toStdString(), shown.toStdString()) << route;
        EXPECT_TRUE(desktop.messages.isEmpty()) << route;
        desktop.messages.clear();
    };
    // As the arguments give it, with every byte that is not UTF-8 kept.
    auto w = start(fileNameFromBytes(file));
    opened(*w, "command line");
    auto d = start();
    desktop.openAnswers = {QFile::decodeName(file)}; // as the toolkit's dialog returns it
    d->toolbarButton(QStringLiteral("btnOpen"))->trigger();
    opened(*d, "open dialog");
    auto v = start();
    QMimeData data; // as a file manager sends it
    data.setData(QStringLiteral("text/uri-list"), "file://" + file.toPercentEncoding("/") + "\r\n");
    EXPECT_TRUE(drop(*v, &data));
    opened(*v, "drop");

    const QByteArray exact = "SelFileName.UTF-8=" + out.toPercentEncoding("/") + "\r\n";
    dir.write(QStringLiteral("KARVEL.INI"), "FileSel_mode=1\r\nSelFileName=x\r\n" + exact);
    auto o = start(fileNameFromBytes(file));
    o->show();
    o->LineList.setSelected(1, true);
    whenModalShown([](QWidget* d) {
        d->findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
        d->close(); // still open where the writing failed
    });
    o->toolbarButton(QStringLiteral("btnFile"))->trigger();
    EXPECT_EQ(TempDir::readBytes(out), sjis("二行目\r\n"));
    o->close();
    EXPECT_TRUE(TempDir::read(ini()).contains(exact));
}

TEST_F(MainFixture, ExitWritesTheSettingsFromMenuAndToolbar) {
    for (const char* name : {"mnuFileExit", "btnExit"}) {
        QFile::remove(ini());
        auto w = start();
        w->show();
        w->IniSettings.Page_mode = 1;
        w->findChild<QAction*>(QLatin1String(name))->trigger();
        EXPECT_FALSE(w->isVisible()) << name;
        EXPECT_TRUE(TempDir::read(ini()).contains("Page_mode= 1 \r\n")) << name;
    }
}

TEST_F(MainFixture, AMinimizedWindowWritesNoPlacement) {
    auto w = start();
    w->show();
    w->showMinimized();
    w->close();
    const QByteArray written = TempDir::read(ini());
    EXPECT_EQ(written.count("\r\n"), 7);
    EXPECT_FALSE(written.contains("Top="));
}

TEST_F(MainFixture, TheListReportsRowsAndSelectionToAccessibilityTools) {
    auto w = start(dir.write(QStringLiteral("r.txt"), "zero\r\none\r\ntwo\r\n"));
    w->show();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(w->List1());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 3);
    EXPECT_EQ(list->child(1)->role(), QAccessible::ListItem);
    EXPECT_EQ(list->child(1)->text(QAccessible::Name), QStringLiteral("one"));
    EXPECT_FALSE(list->child(1)->state().selected);
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

// The real file dialogs start in the folder last used in this session.
TEST(QtDesktopDialogs, FileDialogsRememberTheFolder) {
    TempDir dir;
    const QString chosen = dir.write(QStringLiteral("a.txt"), "a\r\n");
    QtDesktop desktop;
    whenModalShown([&](QWidget* w) {
        auto* dialog = static_cast<QFileDialog*>(w);
        dialog->setDirectory(dir.path());
        dialog->selectFile(chosen);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    EXPECT_EQ(desktop.openFileName(nullptr, textFileFilter()), chosen);
    QString startedIn;
    whenModalShown([&](QWidget* w) {
        startedIn = static_cast<QFileDialog*>(w)->directory().absolutePath();
        static_cast<QDialog*>(w)->reject();
    });
    EXPECT_EQ(desktop.saveFileName(nullptr, QStringLiteral("書き出しファイル名"), textFileFilter()),
              QString());
    EXPECT_EQ(startedIn, QDir(dir.path()).absolutePath());
}

} // namespace
