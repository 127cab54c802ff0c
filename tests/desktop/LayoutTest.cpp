// Every dialog and the status bar at the desktop's font sizes: each text fits its control and no
// two controls overlap. Run at 96 dpi and (with an offscreen screen configuration) at 120 and 144.
#include "app/frmMain.h"
#include "dialogs/frmSearch.h"
#include "dialogs/frmSystemSet.h"
#include "dialogs/frmVersion.h"
#include "output/frmComment.h"
#include "output/frmSelFileName.h"
#include "settings/IniSettings.h"
#include "support/FakeDesktop.h"
#include "support/FakePrinter.h"
#include "support/TempDir.h"
#include "ui/FitToText.h"
#include "ui/JapaneseFont.h"
#include "ui/LongWork.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QStatusBar>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

QString describe(const QWidget* w) {
    return w->window()->objectName() + "/" + w->objectName() + ":" + w->metaObject()->className() +
           QStringLiteral(" (%1,%2 %3x%4)")
               .arg(w->x())
               .arg(w->y())
               .arg(w->width())
               .arg(w->height());
}

// Texts fit, children stay inside their parent (below a frame's caption), siblings apart.
void expectTidy(const QWidget* parent, double points) {
    const QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const QWidget* w : children) {
        // The size grip keeps to its corner by rules of its own.
        if (w->isWindow() || !w->isVisible() || w->inherits("QSizeGrip"))
            continue;
        if (const auto room = textRoom(w)) {
            EXPECT_GE(room->area.width(), room->text.width())
                << qPrintable(describe(w)) << " at " << points << " pt";
            EXPECT_GE(room->area.height(), room->text.height())
                << qPrintable(describe(w)) << " at " << points << " pt";
        }
        const QRect inside = parent->rect().adjusted(0, captionBottom(parent), 0, 0);
        EXPECT_TRUE(inside.contains(w->geometry()))
            << qPrintable(describe(w)) << " leaves its parent at " << points << " pt";
        for (const QWidget* o : children)
            if (o != w && o->isVisible() && !o->isWindow() && !o->inherits("QSizeGrip")) {
                EXPECT_FALSE(w->geometry().intersects(o->geometry()))
                    << qPrintable(describe(w)) << " overlaps " << qPrintable(describe(o)) << " at "
                    << points << " pt";
            }
        expectTidy(w, points);
    }
}

class Layout : public ::testing::TestWithParam<double> {
  protected:
    void SetUp() override {
        QFont font = withJapaneseFamily(QApplication::font());
        font.setPointSizeF(GetParam());
        QApplication::setFont(font);
    }
    void TearDown() override { QApplication::setFont(saved_); }
    QFont saved_ = QApplication::font();
    IniSettingsRecord settings;
    LineStore rows;
    FakeDesktop desktop;
    LongWork work{desktop};
    FakePrinter printer;
    QString searchStr;
};

TEST_P(Layout, DialogTextsFitAndNothingOverlaps) {
    QWidget main;
    const std::vector<std::function<std::unique_ptr<QDialog>()>> dialogs = {
        [&] { return std::make_unique<frmSystemSet>(&main, settings); },
        [&] { return std::make_unique<frmVersion>(&main); },
        [&] {
            return std::make_unique<frmComment>(&main, settings, printer, QApplication::font(),
                                                PrintMargins{}, desktop, work, TextFormat{});
        },
        [&] { return std::make_unique<frmSelFileName>(&main, settings, rows, desktop, work); },
        [&] { return std::make_unique<frmSearch>(&main, searchStr); },
    };
    for (const auto& make : dialogs) {
        const auto dialog = make();
        dialog->show();
        expectTidy(dialog.get(), GetParam());
    }
}

TEST_P(Layout, DialogsKeepTheirDrawnSizeWhereTheTextFits) {
    // At the smallest size the search dialog's texts fit as drawn: nothing grows sideways.
    frmSearch search(nullptr, searchStr);
    const int drawnWidth = search.width();
    search.show();
    if (GetParam() <= 9) {
        EXPECT_EQ(search.width(), drawnWidth);
    }
    EXPECT_GE(search.width(), drawnWidth);
}

TEST_P(Layout, StatusPanelsHoldTheirWidestTexts) {
    TempDir dir;
    frmMain w(dir.path(), desktop, printer);
    w.Form_Load(QString());
    w.show();
    auto* clock = w.findChild<QLabel*>(QStringLiteral("Clock"));
    clock->setText(QStringLiteral("20:08"));
    w.findChild<QLabel*>(QStringLiteral("FontSize"))->setText(QStringLiteral(" 10.5pts."));
    expectTidy(w.statusBar(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(DesktopFontSizes, Layout, ::testing::Values(9.0, 11.0, 12.0));

} // namespace
