#include "PrintPreview.h"

#include <QDockWidget>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
constexpr int kMargin = 12; // pixels around the sheet
}

void SheetView::setSheets(const OpenSheets& sheets, int sheet, bool fit) {
    sheets_ = sheets;
    sheet_ = sheet;
    fit_ = fit;
    if (!fit) {
        const double s = actualScale();
        setMinimumSize(int(sheets.paper.width() * s) + 2 * kMargin,
                       int(sheets.paper.height() * s) + 2 * kMargin);
    } else {
        setMinimumSize(0, 0);
    }
    update();
}

double SheetView::scale() const {
    if (!fit_ || sheets_.paper.isEmpty())
        return actualScale();
    return std::min((width() - 2.0 * kMargin) / sheets_.paper.width(),
                    (height() - 2.0 * kMargin) / sheets_.paper.height());
}

void SheetView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Dark));
    if (sheets_.paper.isEmpty())
        return;
    const double s = scale();
    const QSizeF paper = sheets_.paper * s;
    p.translate(std::max<double>(kMargin, (width() - paper.width()) / 2), kMargin);
    p.setPen(Qt::NoPen);
    p.fillRect(QRectF(QPointF(3, 3), paper), QColor(0, 0, 0, 60)); // shadow
    p.fillRect(QRectF(QPointF(0, 0), paper), Qt::white);
    p.setPen(QPen(QColor(200, 200, 200), 0, Qt::DashLine));
    p.drawRect(QRectF(sheets_.printable.topLeft() * s, sheets_.printable.size() * s));
    // One unit a twip from the printable area's corner: every line where the printer put it, in
    // its font (a font size in twips is the size in points times twenty).
    p.scale(s, s);
    p.translate(sheets_.printable.topLeft());
    p.setPen(Qt::black);
    const double pointsToUnits = 20.0 * 72.0 / logicalDpiY(); // font points giving twips
    for (const DrawnLine& line : sheets_.lines) {
        if (line.sheet != sheet_)
            continue;
        QFont font(line.family);
        font.setPointSizeF(line.points * pointsToUnits);
        font.setStyleStrategy(QFont::PreferNoShaping);
        p.setFont(font);
        p.drawText(QPointF(line.x, line.y + QFontMetricsF(font, this).ascent()), line.text);
    }
}

PrintPreview::PrintPreview(Printer& printer, QWidget* parent) : QWidget(parent), printer_(printer) {
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    scroll_ = new QScrollArea(this);
    // The sheet area takes the focus given to the preview; a screen reader speaks its name (the
    // sheet's number) and its description (the counts) when it does.
    setFocusProxy(scroll_);
    // The scroll area would take the page keys for itself.
    scroll_->installEventFilter(this);
    scroll_->setWidgetResizable(true);
    view_ = new SheetView;
    scroll_->setWidget(view_);
    auto* fit = new QPushButton(QStringLiteral("全体表示"), this);
    fit->setObjectName(QStringLiteral("cmdFit"));
    auto* actual = new QPushButton(QStringLiteral("100%"), this);
    actual->setObjectName(QStringLiteral("cmdActualSize"));
    previous_ = new QPushButton(QStringLiteral("◀"), this);
    previous_->setObjectName(QStringLiteral("cmdPreviousSheet"));
    previous_->setToolTip(QStringLiteral("前の用紙 (PageUp)"));
    next_ = new QPushButton(QStringLiteral("▶"), this);
    next_->setObjectName(QStringLiteral("cmdNextSheet"));
    next_->setToolTip(QStringLiteral("次の用紙 (PageDown)"));
    // Named by what they do, not by their glyphs.
    previous_->setAccessibleName(QStringLiteral("前の用紙"));
    next_->setAccessibleName(QStringLiteral("次の用紙"));
    page_ = new QLabel(this);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("lblCount"));
    // Reached with Tab; a click leaves the focus on the sheet area.
    for (QPushButton* b : {fit, actual, previous_, next_})
        b->setFocusPolicy(Qt::TabFocus);
    auto* bar = new QHBoxLayout;
    bar->addWidget(count_, 1);
    bar->addWidget(previous_);
    bar->addWidget(page_);
    bar->addWidget(next_);
    bar->addSpacing(12);
    bar->addWidget(fit);
    bar->addWidget(actual);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll_, 1);
    layout->addLayout(bar);
    connect(fit, &QPushButton::clicked, this, [this] { zoom(true); });
    connect(actual, &QPushButton::clicked, this, [this] { zoom(false); });
    connect(previous_, &QPushButton::clicked, this, [this] { turn(-1); });
    connect(next_, &QPushButton::clicked, this, [this] { turn(1); });
    refresh();
}

QString PrintPreview::summary() const {
    return QStringLiteral("%1 行印字済み・あと約 %2 行")
        .arg(sheets_.linesOnLastSheet)
        .arg(sheets_.linesThatStillFit);
}

void PrintPreview::refresh() {
    sheets_ = printer_.openSheets();
    sheet_ = sheets_.sheets - 1; // the open sheet
    showSheet();
}

void PrintPreview::turn(int by) {
    sheet_ = std::clamp(sheet_ + by, 0, sheets_.sheets - 1);
    showSheet();
}

void PrintPreview::zoom(bool fit) {
    fit_ = fit;
    scroll_->setWidgetResizable(fit);
    showSheet();
    if (!fit)
        view_->adjustSize();
}

void PrintPreview::showSheet() {
    view_->setSheets(printer_.openSheets(sheet_), sheet_, fit_);
    count_->setText(summary());
    const bool several = sheets_.sheets > 1;
    for (QWidget* w : {static_cast<QWidget*>(previous_), static_cast<QWidget*>(next_),
                       static_cast<QWidget*>(page_)})
        w->setVisible(several);
    page_->setText(QStringLiteral("%1 / %2").arg(sheet_ + 1).arg(sheets_.sheets));
    scroll_->setAccessibleName(QStringLiteral("用紙 %1").arg(page_->text()));
    scroll_->setAccessibleDescription(count_->text());
    previous_->setEnabled(sheet_ > 0);
    next_->setEnabled(sheet_ + 1 < sheets_.sheets);
}

bool PrintPreview::takeKey(int key) {
    switch (key) {
    case Qt::Key_Escape:
        // The pane it sits in, or itself.
        (qobject_cast<QDockWidget*>(parentWidget()) ? parentWidget() : this)->close();
        return true;
    case Qt::Key_PageUp:
        turn(-1);
        return true;
    case Qt::Key_PageDown:
        turn(1);
        return true;
    default:
        return false;
    }
}

void PrintPreview::keyPressEvent(QKeyEvent* e) {
    if (!takeKey(e->key()))
        QWidget::keyPressEvent(e);
}

bool PrintPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier &&
        takeKey(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QWidget::eventFilter(watched, event);
}
