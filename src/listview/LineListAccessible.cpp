#include "LineListAccessible.h"

#include "LineListView.h"
#include "document/LineStore.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWindow>
#include <limits>

namespace {

constexpr std::size_t kMaxDecodedUnits = 4096;

// A part of the list with no children and no object of its own: a row, or a notice.
class ListPartAccessible : public QAccessibleInterface {
  public:
    explicit ListPartAccessible(LineListView* view) : view_(view) {}
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return view_ ? QAccessible::queryAccessibleInterface(view_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  protected:
    QPointer<LineListView> view_;
};

class RowAccessible : public ListPartAccessible,
                      public QAccessibleTableCellInterface,
                      public QAccessibleActionInterface {
  public:
    RowAccessible(LineListView* view, int row) : ListPartAccessible(view), row_(row) {}
    bool isValid() const override { return view_ && std::size_t(row_) < view_->store().rowCount(); }
    QString text(QAccessible::Text t) const override {
        if (!isValid() || t != QAccessible::Name)
            return QString();
        return view_->store().rowText(std::size_t(row_), kMaxDecodedUnits);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return QRect();
        const QRect r = view_->rowRect(row_);
        return QRect(view_->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid())
            return s;
        s.selectable = true;
        s.multiSelectable = true;
        s.extSelectable = true;
        s.focusable = true;
        s.selected = isSelected();
        s.focused = view_->currentRow() == row_ && view_->hasFocus();
        const QRect r = view_->rowRect(row_);
        s.invisible = s.offscreen = !view_->viewport()->rect().intersects(r);
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // A cell of the one-column table.
    bool isSelected() const override {
        return isValid() && view_->store().isSelected(std::size_t(row_));
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    // Its one action: select it or deselect it, leaving the other rows.
    QStringList actionNames() const override { return {toggleAction()}; }
    void doAction(const QString& name) override {
        if (name == toggleAction() && isValid())
            view_->setRowSelected(row_, !isSelected());
    }
    // Ctrl+Space toggles only the current row: no key binding for every row.
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    int row() const { return row_; }

  private:
    int row_;
};

// A notification shown for the list: screen readers read its text out when it is shown. It is
// not drawn (sighted users see the selection itself) and is no child of the list.
class NoticeAccessible : public ListPartAccessible {
  public:
    explicit NoticeAccessible(LineListView* view) : ListPartAccessible(view) {}
    bool isValid() const override { return view_; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? text_ : QString();
    }
    void setText(QAccessible::Text t, const QString& text) override {
        if (t == QAccessible::Name)
            text_ = text;
    }
    QRect rect() const override { return QRect(); }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = true;
        return s;
    }

  private:
    QString text_;
};

class ListAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit ListAccessible(LineListView* view) : QAccessibleWidget(view, QAccessible::List) {}
    ~ListAccessible() override {
        forget();
        if (notice_)
            QAccessible::deleteAccessibleInterface(notice_);
    }

    LineListView* view() const { return static_cast<LineListView*>(widget()); }
    const LineStore& store() const { return view()->store(); }
    int childCount() const override {
        return int(std::min<std::size_t>(store().rowCount(),
                                         std::size_t(std::numeric_limits<int>::max())));
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        auto it = rows_.constFind(index);
        if (it != rows_.constEnd())
            return QAccessible::accessibleInterface(*it);
        auto* row = new RowAccessible(view(), index);
        rows_.insert(index, QAccessible::registerAccessibleInterface(row));
        return row;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* row = dynamic_cast<const RowAccessible*>(child);
        return row ? row->row() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint p = view()->viewport()->mapFromGlobal(QPoint(x, y));
        const std::ptrdiff_t row = view()->rowAt(p.y());
        return row >= 0 ? child(int(row)) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        return view()->currentRow() >= 0 ? child(int(view()->currentRow())) : nullptr;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.multiSelectable = s.extSelectable = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // The selection, as a table of one column.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        return column == 0 ? child(row) : nullptr;
    }
    int columnCount() const override { return 1; }
    int rowCount() const override { return childCount(); }
    QString columnDescription(int) const override { return QString(); }
    QString rowDescription(int) const override { return QString(); }
    int selectedCellCount() const override { return selectedRowCount(); }
    int selectedRowCount() const override {
        return int(std::min<std::size_t>(store().selectedCount(), std::size_t(childCount())));
    }
    QList<int> selectedRows() const override {
        QList<int> rows;
        rows.reserve(selectedRowCount());
        store().forEachSelected([&](std::size_t row) {
            if (row >= std::size_t(childCount()))
                return false;
            rows.append(int(row));
            return true;
        });
        return rows;
    }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        for (int row : selectedRows())
            cells.append(child(row));
        return cells;
    }
    bool allSelected() const {
        return store().rowCount() > 0 && store().selectedCount() == store().rowCount();
    }
    int selectedColumnCount() const override { return allSelected() ? 1 : 0; }
    QList<int> selectedColumns() const override {
        return allSelected() ? QList<int>{0} : QList<int>{};
    }
    bool isColumnSelected(int column) const override { return column == 0 && allSelected(); }
    bool isRowSelected(int row) const override {
        return row >= 0 && row < childCount() && store().isSelected(std::size_t(row));
    }
    bool selectRow(int row) override { return setRow(row, true); }
    bool unselectRow(int row) override { return setRow(row, false); }
    bool selectColumn(int column) override { return setColumn(column, true); }
    bool unselectColumn(int column) override { return setColumn(column, false); }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

    void forget() {
        for (QAccessible::Id id : std::as_const(rows_))
            QAccessible::deleteAccessibleInterface(id);
        rows_.clear();
    }
    QAccessibleInterface* notice() {
        if (!notice_)
            notice_ = QAccessible::registerAccessibleInterface(new NoticeAccessible(view()));
        return QAccessible::accessibleInterface(notice_);
    }

  private:
    bool setRow(int row, bool on) {
        if (row < 0 || row >= childCount())
            return false;
        view()->setRowSelected(row, on);
        return true;
    }
    bool setColumn(int column, bool on) {
        if (column != 0)
            return false;
        view()->setAllSelected(on);
        return true;
    }

    mutable QHash<int, QAccessible::Id> rows_;
    QAccessible::Id notice_ = 0;
};

QString selectedCountText(std::size_t selected, std::size_t rows) {
    if (selected == 0)
        return QStringLiteral("選択している行はありません");
    return QStringLiteral("全 %1 行中 %2 行を選択しています").arg(rows).arg(selected);
}

ListAccessible* listOf(LineListView* view) {
    return dynamic_cast<ListAccessible*>(QAccessible::queryAccessibleInterface(view));
}

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("LineListView") && object && object->isWidgetType())
        return new ListAccessible(static_cast<LineListView*>(object));
    return nullptr;
}

} // namespace

void installLineListAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

void notifyCurrentRow(LineListView* view, std::ptrdiff_t row) {
    if (!QAccessible::isActive() || row < 0)
        return;
    QAccessibleEvent event(view, QAccessible::Focus);
    event.setChild(int(row));
    QAccessible::updateAccessibility(&event);
}

void notifySelectionOf(LineListView* view, const std::vector<std::size_t>& rows) {
    if (!QAccessible::isActive())
        return;
    for (std::size_t row : rows) {
        if (row >= std::size_t(std::numeric_limits<int>::max()))
            continue;
        // Screen readers hear it as the row's selected state changing.
        QAccessibleEvent event(view, view->store().isSelected(row) ? QAccessible::SelectionAdd
                                                                   : QAccessible::SelectionRemove);
        event.setChild(int(row));
        QAccessible::updateAccessibility(&event);
    }
}

void announceSelectedCount(LineListView* view) {
    ListAccessible* list = QAccessible::isActive() ? listOf(view) : nullptr;
    if (!list)
        return;
    QAccessibleInterface* notice = list->notice();
    notice->setText(QAccessible::Name,
                    selectedCountText(view->store().selectedCount(), view->store().rowCount()));
    QAccessibleEvent shown(notice, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

void forgetRowInterfaces(LineListView* view) {
    if (ListAccessible* list = listOf(view))
        list->forget();
}
