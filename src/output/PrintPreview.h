#pragma once
// The open sheet before it is ejected: a pane beside the list (it stays open while the person
// keeps working) that draws the sheets printed since the last eject from the printer's record of
// what it drew, on the paper they go to, with the number of lines on the last sheet and roughly
// how many more fit. PageUp and PageDown turn the sheets wherever the focus is inside it; Esc
// closes it (the pane holding it).
#include "printing/Printer.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QScrollArea;

class SheetView : public QWidget {
    Q_OBJECT
  public:
    explicit SheetView(QWidget* parent = nullptr) : QWidget(parent) {}
    void setSheets(const OpenSheets& sheets, int sheet, bool fit);
    // Pixels a twip at 100 % (the screen's own size of the paper).
    double actualScale() const { return logicalDpiX() / 1440.0; }

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override { update(); }

  private:
    double scale() const;
    OpenSheets sheets_;
    int sheet_ = 0;
    bool fit_ = true;
};

class PrintPreview : public QWidget {
    Q_OBJECT
  public:
    PrintPreview(Printer& printer, QWidget* parent);
    // Shows what the printer's open document holds now (after a print command or an eject).
    void refresh();
    int sheet() const { return sheet_; }
    QString summary() const;

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool takeKey(int key);
    void turn(int by);
    void zoom(bool fit);
    void showSheet();

    Printer& printer_;
    OpenSheets sheets_;
    int sheet_ = 0;
    bool fit_ = true;
    QScrollArea* scroll_;
    SheetView* view_;
    QLabel* count_;
    QLabel* page_;
    QPushButton* previous_;
    QPushButton* next_;
};
