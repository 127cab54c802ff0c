#include "FontChooser.h"

#include "ModalWindows.h"

#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The largest size the list takes.
constexpr double kLargestPoints = 999;

QString pointsText(double points) {
    return QString::number(points, 'g', 6);
}

// A number as an input method may commit it: full-width digits and point read as their ASCII
// forms, and so does the ideographic full stop an input method types for the point key (Mozc's
// hiragana mode types "１２。５").
class NumberValidator : public QDoubleValidator {
  public:
    using QDoubleValidator::QDoubleValidator;
    State validate(QString& input, int& pos) const override {
        for (QChar& c : input) {
            if (c >= QChar(0xFF10) && c <= QChar(0xFF19))
                c = QChar(u'0' + (c.unicode() - 0xFF10));
            else if (c == QChar(0xFF0E) || c == QChar(0x3002) || c == QChar(0xFF61))
                c = QLatin1Char('.');
        }
        return QDoubleValidator::validate(input, pos);
    }
};

} // namespace

FontChooser::FontChooser(QWidget* parent, const QFont& font) : QDialog(parent), font_(font) {
    setWindowTitle(QStringLiteral("フォント"));
    setWindowFlags(Qt::Dialog | kDialogTitleBar);
    auto* grid = new QGridLayout;
    auto* familyLabel = new QLabel(QStringLiteral("フォント名(&F):"));
    auto* sizeLabel = new QLabel(QStringLiteral("サイズ(&S):"));
    families = new QListWidget;
    families->addItems(QFontDatabase::families());
    sizeBox = new QLineEdit;
    auto* validator = new NumberValidator(1, kLargestPoints, 2, sizeBox);
    validator->setNotation(QDoubleValidator::StandardNotation);
    sizeBox->setValidator(validator);
    sizeBox->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    sizes = new QListWidget;
    for (int points : QFontDatabase::standardSizes())
        sizes->addItem(QString::number(points));
    familyLabel->setBuddy(families);
    sizeLabel->setBuddy(sizeBox);
    // Screen readers name each box and list by the caption beside it.
    families->setAccessibleName(QStringLiteral("フォント名"));
    sizeBox->setAccessibleName(QStringLiteral("サイズ"));
    sizes->setAccessibleName(QStringLiteral("サイズの一覧"));
    grid->addWidget(familyLabel, 0, 0);
    grid->addWidget(sizeLabel, 0, 1);
    grid->addWidget(families, 1, 0, 2, 1);
    grid->addWidget(sizeBox, 1, 1);
    grid->addWidget(sizes, 2, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 1);

    auto* sampleBox = new QGroupBox(QStringLiteral("サンプル"));
    sample = new QLabel(QStringLiteral("あぁアァ亜宇 AaBbYyZz 123"));
    sample->setAlignment(Qt::AlignCenter);
    sample->setMinimumHeight(sample->sizeHint().height() * 3);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(sample);

    auto* buttons = new QDialogButtonBox;
    ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(sampleBox);
    layout->addWidget(buttons);

    // A face that is not installed starts at the one shown in its place.
    for (const QString& family : {font.family(), QFontInfo(font).family()}) {
        const QList<QListWidgetItem*> same = families->findItems(family, Qt::MatchFixedString);
        if (!same.isEmpty()) {
            families->setCurrentItem(same.front());
            break;
        }
    }
    sizeBox->setText(pointsText(font.pointSizeF()));
    connect(families, &QListWidget::currentTextChanged, this, &FontChooser::showChoice);
    connect(sizes, &QListWidget::currentTextChanged, sizeBox, &QLineEdit::setText);
    connect(sizeBox, &QLineEdit::textChanged, this, &FontChooser::showChoice);
    showChoice();
    families->scrollToItem(families->currentItem(), QAbstractItemView::PositionAtCenter);
}

QFont FontChooser::chosenFont() const {
    QFont chosen = font_;
    if (families->currentItem())
        chosen.setFamily(families->currentItem()->text());
    chosen.setPointSizeF(sizeBox->text().toDouble());
    return chosen;
}

void FontChooser::showChoice() {
    // A size being typed (empty, "0", "10.") is not yet one the program takes.
    const bool sized = sizeBox->hasAcceptableInput() && sizeBox->text().toDouble() > 0;
    ok->setEnabled(sized && families->currentItem());
    if (sized)
        sample->setFont(chosenFont());
    const QList<QListWidgetItem*> same = sizes->findItems(sizeBox->text(), Qt::MatchExactly);
    if (!same.isEmpty() && sizes->currentItem() != same.front()) {
        const QSignalBlocker quiet(sizes);
        sizes->setCurrentItem(same.front());
    }
}
