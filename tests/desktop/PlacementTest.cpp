// Windows stay on screen: the saved place corrected at start-up and dialogs opened near a
// screen's edge. Also run on two screens whose primary one is not at 0,0.
#include "app/frmMain.h"
#include "dialogs/frmSearch.h"
#include "dialogs/frmVersion.h"
#include "listview/LineListView.h"
#include "support/FakeDesktop.h"
#include "support/FakePrinter.h"
#include "support/Modal.h"
#include "support/TempDir.h"
#include "ui/OnScreen.h"
#include "ui/QtDesktop.h"
#include "ui/Twips.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {

TEST(OnScreen, SavedFramesAreBroughtWholeOntoAScreen) {
    // A primary screen right of a taller one that starts lower, as arranged side by side.
    const QRect primary(1280, 0, 1280, 770), left(0, 200, 1280, 1000);
    const QList<QRect> areas = {primary, left};
    struct Case {
        const char* what;
        QRect frame;
        QRect shown;
    };
    const Case cases[] = {
        {"whole on the primary screen", {1400, 100, 600, 400}, {1400, 100, 600, 400}},
        {"whole on the other screen", {100, 700, 600, 400}, {100, 700, 600, 400}},
        {"across both, mostly the primary", {1180, 100, 600, 400}, {1280, 100, 600, 400}},
        {"from a monitor that is gone", {-3000, -2000, 600, 400}, {1280, 0, 600, 400}},
        {"huge values", {900000, 900000, 600, 400}, {1960, 370, 600, 400}},
        {"title bar above the top", {1400, -20, 600, 400}, {1400, 0, 600, 400}},
        {"status bar below the bottom", {1400, 500, 600, 400}, {1400, 370, 600, 400}},
        {"below the other screen", {100, 1100, 600, 400}, {100, 800, 600, 400}},
        {"larger than the screen", {1300, 10, 3000, 2000}, {1280, 0, 1280, 770}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shownOnScreens(c.frame, areas), c.shown) << c.what;
}

// The frame the window manager put around w, as it announces it on the window
// (_NET_FRAME_EXTENTS); none until it has. Without a window manager, the window itself.
std::optional<QRect> managedFrame(const QWidget& w) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return w.frameGeometry();
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(w.winId()), "_NET_FRAME_EXTENTS"});
    xprop.waitForFinished();
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    const QStringList e = out.section(QLatin1Char('='), 1).split(QLatin1Char(','));
    if (!out.contains(QLatin1Char('=')) || e.size() != 4)
        return std::nullopt;
    return w.geometry().adjusted(-e[0].toInt(), -e[2].toInt(), e[1].toInt(), e[3].toInt());
}

// Waits until w is framed (where a window manager frames windows) and its frame lies whole in
// area: the frame arrives after the window is shown, and the window may move once it is known.
// A busy machine may take its time; what was seen last is told on failure.
::testing::AssertionResult settlesInside(const QWidget& w, const QRect& area) {
    std::optional<QRect> frame;
    if (QTest::qWaitFor(
            [&] {
                frame = w.isVisible() ? managedFrame(w) : std::nullopt;
                return frame && area.contains(*frame);
            },
            20000))
        return ::testing::AssertionSuccess();
    auto text = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    return ::testing::AssertionFailure()
           << "frame " << qPrintable(frame ? text(*frame) : QStringLiteral("not announced"))
           << " in " << qPrintable(text(area)) << (w.isVisible() ? "" : " (hidden)");
}

bool wholeOnOneScreen(const QRect& frame) {
    const QList<QRect> areas = availableAreas();
    return std::any_of(areas.begin(), areas.end(),
                       [&](const QRect& a) { return a.contains(frame); });
}

class Placement : public ::testing::Test {
  protected:
    std::unique_ptr<frmMain> start(const QByteArray& ini) {
        dir.write(QStringLiteral("KARVEL.INI"), ini);
        auto w = std::make_unique<frmMain>(dir.path(), desktop, printer);
        w->Form_Load(QString());
        return w;
    }
    static QRect frameOf(const QWidget& w) {
        return QRect(w.pos(), w.size().grownBy(frameMargins(&w, nullptr)));
    }
    TempDir dir;
    FakeDesktop desktop;
    FakePrinter printer;
};

TEST_F(Placement, TheSavedPlaceIsCorrectedAtStartUp) {
    const QRect primary = QGuiApplication::primaryScreen()->availableGeometry();
    for (const char* ini : {"Top=-30000\r\nLeft=-45000\r\n", "Top=2000000\r\nLeft=2000000\r\n",
                            "Top=0\r\nLeft=0\r\nWidth=90000\r\nHeight=90000\r\n"}) {
        auto w = start(ini);
        EXPECT_TRUE(wholeOnOneScreen(frameOf(*w))) << ini;
    }
    // A corner beyond the screen's right and bottom edges comes back 100 twips inside its top
    // left, 300 twips smaller than the screen each way.
    const int inset = twips::toPixels(100), shrink = twips::toPixels(300);
    EXPECT_EQ(
        frameOf(*start("Top=99999\r\nLeft=99999\r\n")),
        QRect(primary.topLeft() + QPoint(inset, inset), primary.size() - QSize(shrink, shrink)));
    // A window whole on the screen stays where it was.
    const QPoint inside = primary.topLeft() + QPoint(60, 60);
    auto w = start("Top=" + QByteArray::number(inside.y() * 15) +
                   "\r\nLeft=" + QByteArray::number(inside.x() * 15) + "\r\n");
    EXPECT_EQ(w->pos(), inside);
}

TEST_F(Placement, DialogsOpenedNearAScreenEdgeStayOnThatScreen) {
    if (!windowPositionsKnown())
        GTEST_SKIP() << "the compositor places windows: a program can neither place one nor "
                        "learn where it is";
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        QWidget main;
        main.resize(100, 80); // mostly on the screen, at each corner
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
        for (const QPoint corner :
             {area.topLeft(), area.topRight() - QPoint(60, -20),
              area.bottomLeft() + QPoint(20, -60), area.bottomRight() - QPoint(60, 60)}) {
            main.move(corner);
            QString searchStr;
            frmSearch search(&main, searchStr);
            search.show();
            EXPECT_TRUE(settlesInside(search, area))
                << qPrintable(screen->name()) << " " << corner.x() << "," << corner.y();
            frmVersion about(&main);
            about.show();
            EXPECT_TRUE(settlesInside(about, area)) << qPrintable(screen->name());
            // Where it fits, its frame's corner is where the layout's offset puts it.
            if (corner == area.topLeft()) {
                const std::optional<QRect> mainFrame = managedFrame(main);
                ASSERT_TRUE(mainFrame);
                const int offset = twips::toPixels(1200);
                EXPECT_EQ(managedFrame(about)->topLeft(),
                          mainFrame->topLeft() + QPoint(offset, offset));
            }
            // Message boxes, too.
            bool boxInside = false;
            whenModalShown([&](QWidget* modal) {
                boxInside = settlesInside(*modal, area);
                modal->close();
            });
            QtDesktop().exclamation(&main, QStringLiteral("Karvel"), QStringLiteral("メッセージ"));
            EXPECT_TRUE(boxInside) << qPrintable(screen->name());
        }
    }
}

// The preview is a pane of the main window beside the list, on every platform: no window
// manager can stack it over the list, and it stays on the main window's screen. The window
// widens by the pane where the screen has room (the list keeps its width) and narrows again when
// the pane is closed.
TEST_F(Placement, ThePreviewOpensBesideTheList) {
    auto w = start("");
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const int listWidth = w->List1()->width(), windowWidth = w->width();
    const bool room =
        w->frameGeometry().right() + windowWidth < w->screen()->availableGeometry().right();
    w->findChild<QAction*>(QStringLiteral("mnuFilePreview"))->trigger();
    auto* preview = w->findChild<QWidget*>(QStringLiteral("PrintPreview"));
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview->isVisible(); }));
    EXPECT_EQ(preview->window(), w.get());
    const QRect list(w->List1()->mapTo(w.get(), QPoint()), w->List1()->size());
    const QRect pane(preview->mapTo(w.get(), QPoint()), preview->size());
    EXPECT_FALSE(list.intersects(pane));
    EXPECT_GT(list.width(), 0);
    if (!room)
        return;
    EXPECT_GE(w->List1()->width(), listWidth * 9 / 10) << "the list was narrowed for the pane";
    const int withPane = w->width();
    static_cast<QWidget*>(preview->parentWidget())->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->width() < withPane; }));
}

} // namespace
