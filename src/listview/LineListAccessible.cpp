#include "LineListAccessible.h"

#include "LineListView.h"
#include "document/LineStore.h"

#include <QAccessible>
#include <QHash>
#include <QPointer>
#include <QWindow>
#include <limits>

namespace {

constexpr std::size_t kMaxDecodedUnits = 4096;

class RowAccessible : public QAccessibleInterface {
  public:
    RowAccessible(LineListView* view, int row) : view_(view), row_(row) {}
    bool isValid() const override { return view_ && std::size_t(row_) < view_->store().rowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return view_ ? QAccessible::queryAccessibleInterface(view_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
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
        s.selected = view_->store().isSelected(std::size_t(row_));
        s.focused = view_->currentRow() == row_ && view_->hasFocus();
        const QRect r = view_->rowRect(row_);
        s.invisible = s.offscreen = !view_->viewport()->rect().intersects(r);
        return s;
    }
    int row() const { return row_; }

  private:
    QPointer<LineListView> view_;
    int row_;
};

class ListAccessible : public QAccessibleWidget {
  public:
    explicit ListAccessible(LineListView* view) : QAccessibleWidget(view, QAccessible::List) {}
    ~ListAccessible() override { forget(); }

    LineListView* view() const { return static_cast<LineListView*>(widget()); }
    int childCount() const override {
        return int(std::min<std::size_t>(view()->store().rowCount(),
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
    void forget() {
        for (QAccessible::Id id : std::as_const(rows_))
            QAccessible::deleteAccessibleInterface(id);
        rows_.clear();
    }

  private:
    mutable QHash<int, QAccessible::Id> rows_;
};

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

void notifySelectionChanged(LineListView* view) {
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(view, QAccessible::SelectionWithin);
    QAccessible::updateAccessibility(&event);
}

void forgetRowInterfaces(LineListView* view) {
    if (auto* list = dynamic_cast<ListAccessible*>(QAccessible::queryAccessibleInterface(view)))
        list->forget();
}
