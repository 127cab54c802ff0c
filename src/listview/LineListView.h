#pragma once
// The line list: shows the document's rows one per line and lets the user select them the way
// any desktop list does (click, Shift+click, Ctrl+click, drag, arrows, Page keys, Home/End,
// Ctrl+Space, Ctrl+A), and copies the selected rows with the copy key. Only the visible rows are
// decoded and painted; the selected flags are the document's own.
#include <QAbstractScrollArea>
#include <cstddef>

class LineStore;
class LongWork;

class LineListView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit LineListView(LineStore& store, QWidget* parent = nullptr);

    // The document was replaced: back to the top, first row current.
    void documentReset();
    // The selection changed behind the view's back (a search).
    void selectionChanged();
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
    void keyPressEvent(QKeyEvent*) override;
    void changeEvent(QEvent*) override;
    void scrollContentsBy(int, int) override { viewport()->update(); }

  private:
    void updateScrollBars();
    void setCurrent(std::ptrdiff_t row);
    void ensureVisible(std::ptrdiff_t row);
    void selectOnly(std::ptrdiff_t row);
    void selectFromAnchor(std::ptrdiff_t row, bool keepOthers);
    std::ptrdiff_t rows() const;
    int visibleRows() const;

    LineStore& store_;
    LongWork* work_ = nullptr;
    std::ptrdiff_t current_ = -1;
    std::ptrdiff_t anchor_ = -1;
};
