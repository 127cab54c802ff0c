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
#include "ui/JapaneseFont.h"
#include "ui/LongWork.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEngine>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyleOption>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {

QString describe(const QWidget* w) {
    return w->window()->objectName() + "/" + w->objectName() + ":" + w->metaObject()->className() +
           QStringLiteral(" (%1,%2 %3x%4)")
               .arg(w->x())
               .arg(w->y())
               .arg(w->width())
               .arg(w->height());
}

// Where the style draws a control's text and the room that text takes in the control's own font,
// measured here from the style's rectangles; none for a control without a caption.
std::optional<std::pair<QRect, QSize>> roomAndText(const QWidget* w) {
    const QFontMetrics fm(w->font());
    auto size = [&](const QString& text) { return fm.size(Qt::TextShowMnemonic, text); };
    QStyle* style = w->style();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        if (button->text().isEmpty())
            return std::nullopt;
        QStyleOptionButton opt;
        opt.initFrom(w);
        opt.text = button->text();
        const auto element = qobject_cast<const QRadioButton*>(w) ? QStyle::SE_RadioButtonContents
                             : qobject_cast<const QCheckBox*>(w)  ? QStyle::SE_CheckBoxContents
                                                                  : QStyle::SE_PushButtonContents;
        return std::pair{style->subElementRect(element, &opt, w), size(button->text())};
    }
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->text().isEmpty())
            return std::nullopt;
        const QRect area = label->contentsRect();
        const int flags = Qt::TextShowMnemonic | (label->wordWrap() ? Qt::TextWordWrap : 0);
        return std::pair{area, fm.boundingRect(area, flags, label->text()).size()};
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
        // The box scrolls sideways: one line's height has to fit inside its frame.
        QStyleOptionFrame opt;
        opt.initFrom(w);
        opt.lineWidth = edit->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        return std::pair{style->subElementRect(QStyle::SE_LineEditContents, &opt, w),
                         QSize(0, fm.height())};
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(w); box && !box->title().isEmpty())
        return std::pair{box->rect(), size(box->title()) + QSize(2 * fm.averageCharWidth(), 0)};
    return std::nullopt;
}

// Texts fit, children stay inside their parent (below a frame's caption line), siblings apart.
void expectTidy(const QWidget* parent, double points) {
    const QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    const auto* frame = qobject_cast<const QGroupBox*>(parent);
    const int caption =
        frame && !frame->title().isEmpty() ? QFontMetrics(frame->font()).height() : 0;
    for (const QWidget* w : children) {
        // The size grip keeps to its corner by rules of its own.
        if (w->isWindow() || !w->isVisible() || w->inherits("QSizeGrip"))
            continue;
        if (const auto room = roomAndText(w)) {
            EXPECT_GE(room->first.width(), room->second.width())
                << qPrintable(describe(w)) << " at " << points << " pt";
            EXPECT_GE(room->first.height(), room->second.height())
                << qPrintable(describe(w)) << " at " << points << " pt";
        }
        EXPECT_TRUE(parent->rect().adjusted(0, caption, 0, 0).contains(w->geometry()))
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

// Every text box and list reads to a screen reader with a name, not as an empty box.
void expectNamed(const QWidget* dialog) {
    for (QWidget* w : dialog->findChildren<QWidget*>())
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractItemView*>(w)) {
            EXPECT_FALSE(
                QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty())
                << qPrintable(describe(w));
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
        expectNamed(dialog.get());
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

// The texts a widget draws, as it paints itself (an image's size and resolution, no pixels).
class DrawnTexts : public QImage, QPaintEngine {
  public:
    explicit DrawnTexts(QSize size) : QImage(size, QImage::Format_ARGB32) {}
    QStringList texts;
    QPaintEngine* paintEngine() const override { return const_cast<DrawnTexts*>(this); }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override { texts += item.text(); }
    Type type() const override { return User; }
};

TEST_P(Layout, MenuCaptionsAreWhole) {
    TempDir dir;
    frmMain w(dir.path(), desktop, printer);
    w.show();
    for (QAction* top : w.menuBar()->actions()) {
        QMenu* menu = top->menu();
        menu->popup(w.mapToGlobal(QPoint(0, 0)));
        DrawnTexts drawn(menu->size());
        menu->render(&drawn);
        menu->hide();
        for (const QString& text : drawn.texts)
            EXPECT_FALSE(text.contains(QChar(0x2026)))
                << qPrintable(text) << " at " << GetParam() << " pt";
    }
}

INSTANTIATE_TEST_SUITE_P(DesktopFontSizes, Layout, ::testing::Values(9.0, 11.0, 12.0));

} // namespace
