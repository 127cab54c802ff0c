#pragma once
// The line list: shows the document's rows one per line and lets the user select them the way
// any desktop list does (click, Shift+click, Ctrl+click, drag, arrows, Page keys, Home/End,
// Ctrl+Space, Ctrl+A), and copies the selected rows with the copy key. Only the visible rows are
// decoded and painted; the selected flags are the document's own.
#include <QAbstractScrollArea>
#include <QTimer>
#include <cstddef>

class LineStore;

class LineListView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit LineListView(LineStore& store, QWidget* parent = nullptr);

    // The document was replaced: back to the top, first row current.
    void documentReset();
    // The selection changed behind the view's back (a search).
    void selectionChanged();
    // Puts the selected rows on the clipboard as text (the copy key); nothing selected copies
    // nothing. Without the memory for the text, the clipboard keeps what it had and
    // outOfMemory is sent.
    void copySelection();

    // Gives the list its fixed horizontal scroll range.
    void MakeScroll();
    static constexpr int kHorizontalExtent = 4096;

    const LineStore& store() const { return store_; }
    int rowHeight() const;
    std::ptrdiff_t currentRow() const { return current_; }
    std::ptrdiff_t topRow() const;
    std::ptrdiff_t rowAt(int y) const;
    QRect rowRect(std::ptrdiff_t row) const;

  signals:
    void currentRowChanged(std::ptrdiff_t row);
    void selectionEdited();
    void outOfMemory();

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void changeEvent(QEvent*) override;
    void scrollContentsBy(int, int) override { viewport()->update(); }

  private:
    void updateScrollBars();
    void setCurrent(std::ptrdiff_t row);
    void ensureVisible(std::ptrdiff_t row);
    void selectOnly(std::ptrdiff_t row);
    void selectFromAnchor(std::ptrdiff_t row, bool keepOthers);
    void dragTo(std::ptrdiff_t row, bool keepOthers);
    void dragScroll();
    std::ptrdiff_t rows() const;
    int visibleRows() const;

    LineStore& store_;
    std::ptrdiff_t current_ = -1;
    std::ptrdiff_t anchor_ = -1;
    // While a drag-select is held beyond the top or bottom edge, the list scrolls a row a tick
    // that way (more the farther the mouse is), selecting as it goes.
    QTimer dragScroll_;
    int dragBeyond_ = 0; // pixels above (negative) or below (positive) the rows' area
    bool dragKeepsOthers_ = false;
};
