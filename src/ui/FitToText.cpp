#include "FitToText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

QSize textSize(const QWidget* w, const QString& text) {
    return w->fontMetrics().size(Qt::TextShowMnemonic, text);
}

QRect groupBoxCaption(const QGroupBox* box) {
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.text = box->title();
    opt.lineWidth = 1;
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    opt.textAlignment = box->alignment();
    return box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
}

// The size control needs for its text, never less than it has.
QSize neededSize(const QWidget* control) {
    QSize need = control->size();
    if (const auto room = textRoom(control)) {
        // A button's caption keeps some air between it and the button's edge.
        const int air = qobject_cast<const QPushButton*>(control)
                            ? control->fontMetrics().averageCharWidth()
                            : 0;
        need.rwidth() += std::max(0, room->text.width() + air - room->area.width());
        need.rheight() += std::max(0, room->text.height() - room->area.height());
    }
    return need;
}

bool overlap(int a0, int a1, int b0, int b1) {
    return a0 < b1 && b0 < a1;
}

struct Child {
    QWidget* w;
    QRect drawn;
    QSize need;
};

// Grows one side of every child that needs it, moving what lies beyond that side along.
void grow(std::vector<Child>& children, bool across) {
    std::sort(children.begin(), children.end(), [across](const Child& a, const Child& b) {
        return across ? a.w->x() < b.w->x() : a.w->y() < b.w->y();
    });
    for (Child& c : children) {
        const QRect r = c.w->geometry();
        const int by =
            std::max(0, across ? c.need.width() - r.width() : c.need.height() - r.height());
        // What starts beyond c's near edge beside it moves along, and clear of c where the
        // drawing let the two touch.
        for (Child& o : children) {
            const QRect q = o.w->geometry();
            if (o.w == c.w)
                continue;
            if (across && q.left() > r.left() && overlap(q.top(), q.bottom(), r.top(), r.bottom()))
                o.w->move(q.x() + by + std::max(0, r.right() + 1 - q.left()), q.y());
            if (!across && q.top() > r.top() && overlap(q.left(), q.right(), r.left(), r.right()))
                o.w->move(q.x(), q.y() + by + std::max(0, r.bottom() + 1 - q.top()));
        }
        c.w->resize(across ? QSize(r.width() + by, r.height()) : QSize(r.width(), r.height() + by));
    }
}

QSize fitted(QWidget* container) {
    std::vector<Child> children;
    for (QObject* o : container->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow())
            children.push_back({w, w->geometry(), {}});
    QSize need = neededSize(container);
    if (children.empty())
        return need;

    QRect drawn;
    for (const Child& c : children)
        drawn |= c.drawn;
    const QSize margin(std::max(0, container->width() - drawn.right() - 1),
                       std::max(0, container->height() - drawn.bottom() - 1));

    for (Child& c : children)
        c.need = qobject_cast<QGroupBox*>(c.w) ? fitted(c.w) : neededSize(c.w);
    // Controls drawn as one column or one row keep their common edges.
    for (Child& c : children)
        for (const Child& o : children) {
            if (c.drawn.x() == o.drawn.x() && c.drawn.width() == o.drawn.width())
                c.need.setWidth(std::max(c.need.width(), o.need.width()));
            if (c.drawn.y() == o.drawn.y() && c.drawn.height() == o.drawn.height())
                c.need.setHeight(std::max(c.need.height(), o.need.height()));
        }

    // A frame's controls sit below its caption.
    const int down = std::max(0, captionBottom(container) - drawn.top());
    for (Child& c : children)
        c.w->move(c.drawn.x(), c.drawn.y() + down);
    grow(children, true);
    grow(children, false);

    QRect now;
    for (const Child& c : children)
        now |= c.w->geometry();
    return need.expandedTo({now.right() + 1 + margin.width(), now.bottom() + 1 + margin.height()});
}

} // namespace

std::optional<TextRoom> textRoom(const QWidget* w) {
    QStyle* style = w->style();
    if (const auto* box = qobject_cast<const QGroupBox*>(w)) {
        if (box->title().isEmpty())
            return std::nullopt;
        const QRect caption = groupBoxCaption(box);
        return TextRoom{
            {caption.left(), caption.top(), w->width() - 2 * caption.left(), caption.height()},
            caption.size()};
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        if (button->text().isEmpty())
            return std::nullopt;
        QStyleOptionButton opt;
        opt.initFrom(button);
        opt.text = button->text();
        const bool radio = qobject_cast<const QRadioButton*>(w);
        const auto element =
            radio ? QStyle::SE_RadioButtonContents
                  : (qobject_cast<const QPushButton*>(w) ? QStyle::SE_PushButtonContents
                                                         : QStyle::SE_CheckBoxContents);
        return TextRoom{style->subElementRect(element, &opt, w), textSize(w, button->text())};
    }
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->text().isEmpty() || label->wordWrap())
            return std::nullopt;
        return TextRoom{label->contentsRect(), textSize(w, label->text())};
    }
    if (const auto* box = qobject_cast<const QLineEdit*>(w)) {
        QStyleOptionFrame opt;
        opt.initFrom(box);
        opt.lineWidth = box->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        // The box scrolls sideways; only the line's height has to fit, inside the box's own
        // margin of one pixel above and below.
        const QRect area =
            style->subElementRect(QStyle::SE_LineEditContents, &opt, w).adjusted(0, 1, 0, -1);
        return TextRoom{area, {0, w->fontMetrics().height()}};
    }
    return std::nullopt;
}

int captionBottom(const QWidget* container) {
    const auto* box = qobject_cast<const QGroupBox*>(container);
    if (!box || box->title().isEmpty())
        return 0;
    return groupBoxCaption(box).bottom() + 3;
}

int labelWidthFor(const QLabel* label, const QString& text, int widthNow) {
    const int chrome = label->width() - label->contentsRect().width();
    return std::max(widthNow, chrome + textSize(label, text).width());
}

QSize fitChildrenToText(QWidget* window) {
    return fitted(window);
}

namespace {

class WholeMenuCaptions : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize sized = QProxyStyle::sizeFromContents(type, option, size, widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || !item)
            return sized;
        const QString caption = item->text.section(QLatin1Char('\t'), 0, 0);
        if (caption.isEmpty())
            return sized;
        QFont drawn = item->font;
        drawn.setPointSizeF(QFontInfo(item->font).pointSizeF());
        const int needed = int(std::ceil(QFontMetricsF(drawn).horizontalAdvance(caption)));
        const int given = item->fontMetrics.size(Qt::TextShowMnemonic, caption).width();
        sized.rwidth() += std::max(0, needed - given + 1);
        return sized;
    }
};

} // namespace

void keepMenuCaptionsWhole() {
    if (dynamic_cast<WholeMenuCaptions*>(QApplication::style()))
        return;
    QStyle* base = QStyleFactory::create(QApplication::style()->name());
    QApplication::setStyle(new WholeMenuCaptions(base));
}
