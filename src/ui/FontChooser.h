#pragma once
// The font dialog: a face and a size, which is all the program applies to its list and its
// printing, with a Japanese sample. Offers no style, weight or effects that would be dropped.
#include <QDialog>
#include <QFont>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class FontChooser : public QDialog {
    Q_OBJECT
  public:
    FontChooser(QWidget* parent, const QFont& font);

    // The chosen face and size, the rest as given.
    QFont chosenFont() const;

    QListWidget* families;
    QLineEdit* sizeBox; // the size in points, typed or taken from the list
    QListWidget* sizes;
    QLabel* sample;
    QPushButton* ok;

  private:
    // Shows the current choice: the sample in it, OK only for a size the program takes, and
    // the typed size marked in the list.
    void showChoice();
    QFont font_;
};
