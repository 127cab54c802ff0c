#include "LineListView.h"

#include "LineListAccessible.h"
#include "document/CopyRows.h"
#include "document/LineStore.h"
#include "ui/LongWork.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <new>

namespace {
// No row is decoded further than this: the rest lies beyond the horizontal scroll range.
constexpr std::size_t kMaxPaintedUnits = 4096;
constexpr int kTextIndent = 2;
// Up to this many rows changed by one edit are told to screen readers one by one, as item views
// tell theirs; more are told as the number of rows now selected.
constexpr std::size_t kToldOneByOne = 8;
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
    tellSelectedCount();
}

void LineListView::setRowSelected(std::ptrdiff_t row, bool on) {
    if (row >= 0 && row < rows())
        finishEdit(editSelection(row, row, on, false));
}

void LineListView::setAllSelected(bool on) {
    if (rows() > 0)
        finishEdit(editSelection(0, rows() - 1, on, false));
}

// Screen readers hear the count once the list has the focus in the active window, after the
// focus has come back from a dialog (and is read first).
void LineListView::tellSelectedCount() {
    if (!QAccessible::isActive())
        return;
    if (current_ >= 0)
        notifySelectionOf(this, {std::size_t(current_)});
    countUnheard_ = true;
    if (hasFocus() && isActiveWindow()) {
        countUnheard_ = false;
        announceSelectedCount(this);
    }
}

void LineListView::copySelection() {
    if (store_.selectedCount() == 0)
        return; // the clipboard keeps what it had
    CopiedText copied;
    const auto copy = [&](Progress* progress) { copied = selectedRowsAsUtf8(store_, progress); };
    if (!work_)
        copy(nullptr);
    else if (!work_->run(window(), QStringLiteral("コピーしています..."),
                         [&](Progress& progress) { copy(&progress); }))
        return; // other work runs
    if (copied.cancelled)
        return;
    try {
        if (copied.error)
            throw std::bad_alloc();
        auto data = std::make_unique<QMimeData>();
        // One buffer serves both names; the text is converted only when another program asks.
        data->setData(QStringLiteral("text/plain;charset=utf-8"), copied.text);
        data->setData(QStringLiteral("text/plain"), copied.text);
        QGuiApplication::clipboard()->setMimeData(data.release());
    } catch (const std::bad_alloc&) {
        // Nothing may escape an event handler: the rows, the selection and the program stay.
        emit outOfMemory();
    }
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

LineListView::Changes LineListView::editSelection(std::ptrdiff_t first, std::ptrdiff_t last,
                                                  bool on, bool replace) {
    if (first > last)
        std::swap(first, last);
    const auto a = std::size_t(first), b = std::size_t(last);
    Changes changes;
    if (QAccessible::isActive()) { // the changed rows are looked for only when someone listens
        const std::size_t inside = store_.selectedCountIn(a, b);
        const std::size_t flipped =
            (on ? b - a + 1 - inside : inside) + (replace ? store_.selectedCount() - inside : 0);
        changes.many = flipped > kToldOneByOne;
        if (!changes.many) {
            auto add = [&](std::size_t row) {
                changes.rows.push_back(row);
                return true;
            };
            if (replace && a > 0)
                store_.forEachIn(true, 0, a - 1, add);
            store_.forEachIn(!on, a, b, add);
            if (replace && b + 1 < store_.rowCount())
                store_.forEachIn(true, b + 1, store_.rowCount() - 1, add);
        }
    }
    if (replace)
        store_.clearSelection();
    store_.setRangeSelected(a, b, on);
    viewport()->update();
    return changes;
}

LineListView::Changes LineListView::selectOnly(std::ptrdiff_t row) {
    return editSelection(row, row, true, true);
}

LineListView::Changes LineListView::toggle(std::ptrdiff_t row) {
    return editSelection(row, row, !store_.isSelected(std::size_t(row)), false);
}

LineListView::Changes LineListView::selectFromAnchor(std::ptrdiff_t row, bool keepOthers) {
    if (anchor_ < 0)
        anchor_ = row;
    return editSelection(anchor_, row, true, !keepOthers);
}

void LineListView::finishEdit(const Changes& changes) {
    emit selectionEdited();
    if (changes.many)
        tellSelectedCount();
    else
        notifySelectionOf(this, changes.rows);
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
    Changes changes;
    if (shift) {
        changes = selectFromAnchor(row, ctrl);
    } else {
        changes = ctrl ? toggle(row) : selectOnly(row);
        anchor_ = row;
    }
    setCurrent(row);
    finishEdit(changes);
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
    const Changes changes = selectFromAnchor(row, keepOthers);
    setCurrent(row);
    finishEdit(changes);
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
    // A selected count that changed while the focus was elsewhere is told now.
    if (countUnheard_)
        QTimer::singleShot(0, this, [this] {
            if (countUnheard_ && hasFocus()) {
                countUnheard_ = false;
                announceSelectedCount(this);
            }
        });
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
    case Qt::Key_Space: {
        Changes changes;
        if (shift) {
            changes = selectFromAnchor(cur, ctrl);
        } else {
            changes = ctrl ? toggle(cur) : selectOnly(cur);
            anchor_ = cur;
        }
        setCurrent(cur);
        finishEdit(changes);
        return;
    }
    case Qt::Key_A:
        if (ctrl && !shift) {
            finishEdit(editSelection(0, rows() - 1, true, false));
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
    if (ctrl && !shift) { // Ctrl moves the current row only
        setCurrent(target);
        return;
    }
    const Changes changes = shift ? selectFromAnchor(target, ctrl) : selectOnly(target);
    if (!shift)
        anchor_ = target;
    setCurrent(target);
    finishEdit(changes);
}
