#pragma once
// The line list: shows the document's rows one per line and lets the user select them the way
// any desktop list does (click, Shift+click, Ctrl+click, drag, arrows, Page keys, Home/End,
// Ctrl+Space, Ctrl+A), and copies the selected rows with the copy key. Only the visible rows are
// decoded and painted; the selected flags are the document's own.
#include <QAbstractScrollArea>
#include <QTimer>
#include <cstddef>
#include <vector>

class LineStore;
class LongWork;

class LineListView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit LineListView(LineStore& store, QWidget* parent = nullptr);

    // The document was replaced: back to the top, first row current.
    void documentReset();
    // The selection changed behind the view's back (a search): repainted, and screen readers
    // are told how many rows are selected now.
    void selectionChanged();
    // Selects or deselects rows as a click would, for accessibility tools: one row, or all.
    void setRowSelected(std::ptrdiff_t row, bool on);
    void setAllSelected(bool on);
    // Puts the selected rows on the clipboard as text (the copy key); nothing selected copies
    // nothing. Runs as long work of the owner given (with progress and Cancel; a stopped copy
    // keeps the clipboard as it was). Without the memory for the text, the clipboard keeps what
    // it had and outOfMemory is sent.
    void copySelection();
    void setLongWork(LongWork* work) { work_ = work; }

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
    // The rows whose selected state an edit changed, or none listed when there were many.
    struct Changes {
        std::vector<std::size_t> rows;
        bool many = false;
    };
    // Sets rows first..last (in either order) to on; with replace, every other row to off.
    Changes editSelection(std::ptrdiff_t first, std::ptrdiff_t last, bool on, bool replace);
    Changes selectOnly(std::ptrdiff_t row);
    Changes toggle(std::ptrdiff_t row);
    Changes selectFromAnchor(std::ptrdiff_t row, bool keepOthers);
    // Repaints and tells the main window and accessibility tools what an edit changed.
    void finishEdit(const Changes& changes);
    // Tells screen readers the current row's state and how many rows are selected.
    void tellSelectedCount();
    void dragTo(std::ptrdiff_t row, bool keepOthers);
    void dragScroll();
    std::ptrdiff_t rows() const;
    int visibleRows() const;

    LineStore& store_;
    LongWork* work_ = nullptr;
    std::ptrdiff_t current_ = -1;
    std::ptrdiff_t anchor_ = -1;
    bool countUnheard_ = false; // the selected count waits for the list to have the focus
    // While a drag-select is held beyond the top or bottom edge, the list scrolls a row a tick
    // that way (more the farther the mouse is), selecting as it goes.
    QTimer dragScroll_;
    int dragBeyond_ = 0; // pixels above (negative) or below (positive) the rows' area
    bool dragKeepsOthers_ = false;
};
