#include "LineListView.h"

#include "LineListAccessible.h"
#include "document/CopyRows.h"
#include "document/LineStore.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <memory>
#include <new>

namespace {
// No row is decoded further than this: the rest lies beyond the horizontal scroll range.
constexpr std::size_t kMaxPaintedUnits = 4096;
constexpr int kTextIndent = 2;
} // namespace

LineListView::LineListView(LineStore& store, QWidget* parent)
    : QAbstractScrollArea(parent), store_(store) {
    // Before anything asks for the list's accessible interface (and keeps the one it gets).
    installLineListAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAccessibleName(QStringLiteral("行の一覧"));
    updateScrollBars();
    connect(this, &LineListView::currentRowChanged, this,
            [this](std::ptrdiff_t row) { notifyCurrentRow(this, row); });
    connect(this, &LineListView::selectionEdited, this, [this] { notifySelectionChanged(this); });
    dragScroll_.setInterval(50);
    connect(&dragScroll_, &QTimer::timeout, this, &LineListView::dragScroll);
}

std::ptrdiff_t LineListView::rows() const {
    return std::ptrdiff_t(store_.rowCount());
}

int LineListView::rowHeight() const {
    return std::max(1, fontMetrics().height());
}

int LineListView::visibleRows() const {
    return std::max(1, viewport()->height() / rowHeight());
}

std::ptrdiff_t LineListView::topRow() const {
    return verticalScrollBar()->value();
}

std::ptrdiff_t LineListView::rowAt(int y) const {
    if (y < 0)
        return -1;
    std::ptrdiff_t row = topRow() + y / rowHeight();
    return row < rows() ? row : -1;
}

QRect LineListView::rowRect(std::ptrdiff_t row) const {
    return QRect(0, int(row - topRow()) * rowHeight(), viewport()->width(), rowHeight());
}

void LineListView::documentReset() {
    forgetRowInterfaces(this);
    current_ = rows() > 0 ? 0 : -1;
    anchor_ = current_;
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    emit currentRowChanged(current_);
}

void LineListView::selectionChanged() {
    viewport()->update();
    notifySelectionChanged(this); // as a click does, for screen readers
}

void LineListView::copySelection() {
    if (store_.selectedCount() == 0)
        return; // the clipboard keeps what it had
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const QByteArray text = selectedRowsAsUtf8(store_);
        auto data = std::make_unique<QMimeData>();
        // One buffer serves both names; the text is converted only when another program asks.
        data->setData(QStringLiteral("text/plain;charset=utf-8"), text);
        data->setData(QStringLiteral("text/plain"), text);
        QGuiApplication::clipboard()->setMimeData(data.release());
    } catch (const std::bad_alloc&) {
        // Nothing may escape an event handler: the rows, the selection and the program stay.
        QGuiApplication::restoreOverrideCursor();
        emit outOfMemory();
        return;
    }
    QGuiApplication::restoreOverrideCursor();
}

void LineListView::MakeScroll() {
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, kHorizontalExtent - viewport()->width()));
    h->setPageStep(viewport()->width());
    h->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
}

void LineListView::updateScrollBars() {
    QScrollBar* v = verticalScrollBar();
    const int page = visibleRows();
    v->setRange(0, int(std::max<std::ptrdiff_t>(0, rows() - page)));
    v->setPageStep(page);
    v->setSingleStep(1);
    MakeScroll();
}

void LineListView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
}

void LineListView::changeEvent(QEvent* e) {
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        updateScrollBars();
        viewport()->update();
    }
}

void LineListView::paintEvent(QPaintEvent* e) {
    QPainter painter(viewport());
    const QPalette& pal = palette();
    const int h = rowHeight();
    const int dx = horizontalScrollBar()->value();
    const QRect dirty = e->rect();
    const std::ptrdiff_t first = topRow() + dirty.top() / h;
    const std::ptrdiff_t last = std::min(rows() - 1, topRow() + dirty.bottom() / h);
    const int ascent = fontMetrics().ascent();
    for (std::ptrdiff_t row = first; row <= last; ++row) {
        const QRect r = rowRect(row);
        const bool selected = store_.isSelected(std::size_t(row));
        if (selected)
            painter.fillRect(r, pal.brush(QPalette::Highlight));
        painter.setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(kTextIndent - dx, r.top() + ascent,
                         store_.rowText(std::size_t(row), kMaxPaintedUnits));
        if (row == current_ && hasFocus()) {
            QStyleOptionFocusRect opt;
            opt.initFrom(this);
            // Drawn whenever the list has the focus, as native lists do; the style by itself
            // draws it only once the keyboard moved the focus.
            opt.state |= QStyle::State_KeyboardFocusChange;
            opt.rect = r;
            opt.backgroundColor = pal.color(selected ? QPalette::Highlight : QPalette::Base);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &painter, this);
        }
    }
}

void LineListView::setCurrent(std::ptrdiff_t row) {
    const std::ptrdiff_t old = current_;
    current_ = row;
    ensureVisible(row);
    if (old >= 0)
        viewport()->update(rowRect(old));
    viewport()->update(rowRect(row));
    if (old != row)
        emit currentRowChanged(row);
}

void LineListView::ensureVisible(std::ptrdiff_t row) {
    QScrollBar* v = verticalScrollBar();
    if (row < v->value())
        v->setValue(int(row));
    else if (row >= v->value() + visibleRows())
        v->setValue(int(row - visibleRows() + 1));
}

void LineListView::selectOnly(std::ptrdiff_t row) {
    store_.clearSelection();
    store_.setSelected(std::size_t(row), true);
    viewport()->update();
}

void LineListView::selectFromAnchor(std::ptrdiff_t row, bool keepOthers) {
    if (anchor_ < 0)
        anchor_ = row;
    if (!keepOthers)
        store_.clearSelection();
    store_.setRangeSelected(std::size_t(anchor_), std::size_t(row), true);
    viewport()->update();
}

void LineListView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const std::ptrdiff_t row = rowAt(e->position().toPoint().y());
    if (row < 0)
        return;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    if (shift) {
        selectFromAnchor(row, ctrl);
    } else if (ctrl) {
        store_.setSelected(std::size_t(row), !store_.isSelected(std::size_t(row)));
        anchor_ = row;
        viewport()->update(rowRect(row));
    } else {
        selectOnly(row);
        anchor_ = row;
    }
    setCurrent(row);
    emit selectionEdited();
}

void LineListView::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton) || rows() == 0)
        return;
    const int y = int(e->position().y());
    dragKeepsOthers_ = e->modifiers() & Qt::ControlModifier;
    dragBeyond_ = y < 0 ? y : std::max(0, y - viewport()->height() + 1);
    if (dragBeyond_ != 0) {
        if (!dragScroll_.isActive()) {
            dragScroll_.start();
            dragScroll();
        }
        return;
    }
    dragScroll_.stop();
    std::ptrdiff_t row = rowAt(y);
    if (row < 0)
        row = rows() - 1;
    dragTo(row, dragKeepsOthers_);
}

void LineListView::mouseReleaseEvent(QMouseEvent* e) {
    dragScroll_.stop();
    e->accept();
}

void LineListView::dragTo(std::ptrdiff_t row, bool keepOthers) {
    row = std::clamp<std::ptrdiff_t>(row, 0, rows() - 1);
    if (row == current_)
        return;
    selectFromAnchor(row, keepOthers);
    setCurrent(row);
    emit selectionEdited();
}

void LineListView::dragScroll() {
    if (dragBeyond_ == 0 || rows() == 0) {
        dragScroll_.stop();
        return;
    }
    const int step = 1 + std::abs(dragBeyond_) / rowHeight();
    const std::ptrdiff_t from = dragBeyond_ < 0 ? topRow() : topRow() + visibleRows() - 1;
    dragTo(from + (dragBeyond_ < 0 ? -step : step), dragKeepsOthers_);
}

void LineListView::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    if (current_ >= 0)
        viewport()->update(rowRect(current_)); // the outline, whatever moved the focus
}

void LineListView::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    dragScroll_.stop();
    if (current_ >= 0)
        viewport()->update(rowRect(current_));
}

void LineListView::keyPressEvent(QKeyEvent* e) {
    if (e->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    if (rows() == 0) {
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const std::ptrdiff_t cur = std::max<std::ptrdiff_t>(current_, 0);
    const std::ptrdiff_t page = visibleRows();
    std::ptrdiff_t target = -1;
    switch (e->key()) {
    case Qt::Key_Up:
        target = cur - 1;
        break;
    case Qt::Key_Down:
        target = cur + 1;
        break;
    case Qt::Key_PageUp:
        target = cur - std::max<std::ptrdiff_t>(1, page - 1);
        break;
    case Qt::Key_PageDown:
        target = cur + std::max<std::ptrdiff_t>(1, page - 1);
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = rows() - 1;
        break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        QScrollBar* h = horizontalScrollBar();
        h->setValue(h->value() + (e->key() == Qt::Key_Left ? -1 : 1) * h->singleStep());
        return;
    }
    case Qt::Key_Space:
        if (ctrl && !shift) {
            store_.setSelected(std::size_t(cur), !store_.isSelected(std::size_t(cur)));
            anchor_ = cur;
        } else if (shift) {
            selectFromAnchor(cur, ctrl);
        } else {
            selectOnly(cur);
            anchor_ = cur;
        }
        setCurrent(cur);
        viewport()->update();
        emit selectionEdited();
        return;
    case Qt::Key_A:
        if (ctrl && !shift) {
            store_.setRangeSelected(0, std::size_t(rows() - 1), true);
            viewport()->update();
            emit selectionEdited();
            return;
        }
        break;
    default:
        break;
    }
    if (target < 0 && e->key() != Qt::Key_Up && e->key() != Qt::Key_PageUp) {
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    target = std::clamp<std::ptrdiff_t>(target, 0, rows() - 1);
    if (shift) {
        selectFromAnchor(target, ctrl);
        emit selectionEdited();
    } else if (!ctrl) {
        selectOnly(target);
        anchor_ = target;
        emit selectionEdited();
    }
    setCurrent(target);
}
