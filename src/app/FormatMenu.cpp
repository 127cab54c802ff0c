#include "FormatMenu.h"

#include <QActionGroup>

namespace {

constexpr TextEncoding kEncodings[] = {TextEncoding::Cp932,     TextEncoding::EucJp,
                                       TextEncoding::Iso2022Jp, TextEncoding::Utf8,
                                       TextEncoding::Utf16Le,   TextEncoding::Utf16Be};

// One checkable entry; its data is the value it stands for, or nothing for the automatic one.
QAction* addChoice(QMenu* menu, QActionGroup* group, const QString& caption,
                   const QVariant& value) {
    QAction* action = menu->addAction(caption);
    action->setCheckable(true);
    action->setData(value);
    group->addAction(action);
    return action;
}

} // namespace

FormatMenu::FormatMenu(QWidget* parent)
    : QMenu(QStringLiteral("文字コードと改行を指定して再読み込み(&K)"), parent),
      encodings_(new QActionGroup(this)), lineEnds_(new QActionGroup(this)) {
    setObjectName(QStringLiteral("mnuFileFormat"));
    menuAction()->setObjectName(QStringLiteral("mnuFileFormat"));
    addSection(QStringLiteral("文字コード"));
    addChoice(this, encodings_, QStringLiteral("自動判定"), QVariant());
    for (TextEncoding e : kEncodings)
        addChoice(this, encodings_, encodingName(e), int(e));
    addSection(QStringLiteral("改行"));
    addChoice(this, lineEnds_, QStringLiteral("自動"), QVariant());
    addChoice(this, lineEnds_, QStringLiteral("CR (CR LF)"), int(LineEndStyle::Cr));
    addChoice(this, lineEnds_, QStringLiteral("LF"), int(LineEndStyle::Lf));
    showChoice({});
    connect(this, &QMenu::triggered, this, [this] { emit chosen(current()); });
}

void FormatMenu::showChoice(const FormatChoice& choice) {
    const QVariant encoding = choice.encoding ? QVariant(int(*choice.encoding)) : QVariant();
    const QVariant lineEnd = choice.lineEnd ? QVariant(int(*choice.lineEnd)) : QVariant();
    for (QAction* a : encodings_->actions())
        a->setChecked(a->data() == encoding);
    for (QAction* a : lineEnds_->actions())
        a->setChecked(a->data() == lineEnd);
}

FormatChoice FormatMenu::current() const {
    FormatChoice choice;
    if (const QAction* a = encodings_->checkedAction(); a && a->data().isValid())
        choice.encoding = TextEncoding(a->data().toInt());
    if (const QAction* a = lineEnds_->checkedAction(); a && a->data().isValid())
        choice.lineEnd = LineEndStyle(a->data().toInt());
    return choice;
}
