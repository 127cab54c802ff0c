#pragma once
// A modal dialog of fixed size laid out in twips (grown where the desktop font needs it), with no
// default and no cancel button: Esc does nothing, and Enter presses a button only while that button
// has the focus.
#include <QDialog>
#include <QRect>

class QFrame;
class QLineEdit;
class QPushButton;
class QWidget;

class FixedDialog : public QDialog {
    Q_OBJECT
  public:
    // clientWidth/Height in twips; toolWindow gives the narrow title bar.
    FixedDialog(QWidget* mainWindow, const QString& caption, int clientWidth, int clientHeight,
                bool toolWindow = false);

    // Moves the dialog's frame this many twips right of and below the main window's frame's
    // top-left corner.
    void placeBesideMainWindow(int offsetTwips);

    // Creates a child widget at a twips rectangle (relative to parent).
    template <typename W> W* add(QWidget* parent, const char* name, QRect twipsRect) {
        auto* w = new W(parent);
        w->setObjectName(QLatin1String(name));
        place(w, twipsRect);
        return w;
    }
    QPushButton* addButton(const char* name, const QString& caption, QRect twipsRect);
    // A text box that takes text of any length (Qt cuts at 32,767 characters by default).
    QLineEdit* addTextBox(const char* name, QRect twipsRect);
    // A sunken horizontal rule, which screen readers read as a separator (not as a frame).
    QFrame* addRule(QWidget* parent, const char* name, QRect twipsRect);
    static void place(QWidget* w, QRect twipsRect);

    // Enter in box is swallowed and moves the focus to target.
    void enterMovesFocus(QWidget* box, QWidget* target);

  protected:
    // Before every showing: controls grown to the desktop font's texts, and the dialog kept
    // on its main window's screen.
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QWidget* mainWindow_;
    QWidget* enterBox_ = nullptr;
    QWidget* enterTarget_ = nullptr;
};
