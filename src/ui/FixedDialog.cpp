#include "FixedDialog.h"

#include "FitToText.h"
#include "ModalWindows.h"
#include "OnScreen.h"
#include "Twips.h"

#include <QAccessibleWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

FixedDialog::FixedDialog(QWidget* mainWindow, const QString& caption, int clientWidth,
                         int clientHeight, bool toolWindow)
    : QDialog(mainWindow), mainWindow_(mainWindow) {
    setWindowTitle(caption);
    setWindowFlags((toolWindow ? Qt::Tool : Qt::Dialog) | kDialogTitleBar |
                   Qt::WindowSystemMenuHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twips::toPixels(clientWidth), twips::toPixels(clientHeight));
    setModal(true);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

namespace {

constexpr char kRuleProperty[] = "karvelRule";

QAccessibleInterface* ruleAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("QFrame") && object->property(kRuleProperty).toBool())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Separator);
    return nullptr;
}

} // namespace

QFrame* FixedDialog::addRule(QWidget* parent, const char* name, QRect twipsRect) {
    static const bool installed = [] {
        QAccessible::installFactory(ruleAccessible);
        return true;
    }();
    (void)installed;
    auto* rule = new QFrame(parent);
    rule->setProperty(kRuleProperty, true); // before anything asks for its interface
    rule->setObjectName(QLatin1String(name));
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    place(rule, twipsRect);
    return rule;
}

void FixedDialog::placeBesideMainWindow(int offsetTwips) {
    if (mainWindow_)
        moveFrameTo(this,
                    frameCorner(mainWindow_, nullptr) +
                        QPoint(twips::toPixels(offsetTwips), twips::toPixels(offsetTwips)),
                    mainWindow_);
}

void FixedDialog::showEvent(QShowEvent* event) {
    setFixedSize(fitChildrenToText(this));
    keepOnScreen(this, mainWindow_);
    QDialog::showEvent(event);
}

void FixedDialog::place(QWidget* w, QRect r) {
    w->setGeometry(twips::toPixels(r.x()), twips::toPixels(r.y()), twips::toPixels(r.width()),
                   twips::toPixels(r.height()));
}

QPushButton* FixedDialog::addButton(const char* name, const QString& caption, QRect twipsRect) {
    auto* b = add<QPushButton>(this, name, twipsRect);
    b->setText(caption);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

void FixedDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void FixedDialog::enterMovesFocus(QWidget* box, QWidget* target) {
    enterBox_ = box;
    enterTarget_ = target;
    box->installEventFilter(this);
}

bool FixedDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == enterBox_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // A focus moved from the keyboard shows its ring.
            setAttribute(Qt::WA_KeyboardFocusChange);
            enterTarget_->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QLineEdit* FixedDialog::addTextBox(const char* name, QRect twipsRect) {
    auto* box = add<QLineEdit>(this, name, twipsRect);
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}
