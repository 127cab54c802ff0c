#include "PrintRows.h"

#include "document/LineStore.h"
#include "printing/Printer.h"
#include "system/Progress.h"

#include <QTextBoundaryFinder>
#include <algorithm>
#include <utility>

namespace {

// Draws one row given in pieces: each character, then the line is ended where the next one
// would pass the right margin. The last characters of a piece wait for the next one, so a
// character is never split and the next one's width is always known.
class RowDrawing {
  public:
    RowDrawing(Printer& printer, const PrintMargins& margins, Progress* progress,
               std::uint64_t total)
        : printer_(printer), margins_(margins), progress_(progress), total_(total),
          right_(printer.pageWidth() - margins.right) { // the page stays during a row
        printer_.setCurrentX(margins_.left);
    }
    // False on a printer failure. Once the person asked to stop, the rest is not drawn.
    bool add(QStringView piece, bool last) {
        if (stopped_)
            return true;
        carry_ += piece;
        const QString text = std::exchange(carry_, QString());
        // The characters are walked one ahead: the one to draw and the one after it.
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
        qsizetype begin = 0;
        qsizetype end = text.isEmpty() ? -1 : finder.toNextBoundary();
        while (end > begin) {
            const qsizetype after = finder.toNextBoundary();
            if (!last && (after < 0 || after == text.size())) {
                carry_ = text.sliced(begin); // may go on in the next piece
                break;
            }
            if (!printer_.print(QStringView(text).sliced(begin, end - begin)))
                return false;
            const double next =
                after > end ? printer_.textWidth(QStringView(text).sliced(end, after - end)) : 0;
            if (printer_.currentX() >= right_ - next) {
                if (!printer_.endLine())
                    return false;
                printer_.setCurrentX(margins_.left);
            }
            begin = end;
            end = after;
            // Stopped by the person in a very long row: what is drawn stays, the rest is not.
            if (progress_ && ++drawn_ % 4096 == 0 &&
                !progress_->advanceInRow(std::min(drawn_, total_), total_)) {
                stopped_ = true;
                break;
            }
        }
        return true;
    }
    bool finish() { return printer_.endLine(); }

  private:
    Printer& printer_;
    const PrintMargins& margins_;
    Progress* progress_;
    std::uint64_t total_;
    double right_;
    QString carry_;
    std::uint64_t drawn_ = 0;
    bool stopped_ = false;
};

} // namespace

bool printRow(Printer& printer, QStringView text, const PrintMargins& margins, Progress* progress) {
    RowDrawing row(printer, margins, progress, std::uint64_t(text.size()));
    return row.add(text, true) && row.finish();
}

bool printSelectedRows(Printer& printer, const LineStore& rows, const PrintMargins& margins,
                       Progress* progress) {
    const std::size_t total = rows.selectedCount();
    std::size_t done = 0;
    bool stopped = false;
    const bool ok = rows.forEachSelected([&](std::size_t row) {
        if (progress && !progress->advance(done++, total)) {
            stopped = true;
            return false;
        }
        // A long row is decoded a piece at a time, never as one string.
        RowDrawing drawing(printer, margins, progress, std::uint64_t(rows.rowBytes(row).size()));
        return rows.forEachTextPiece(row, [&](QStringView piece, bool last) {
            return drawing.add(piece, last);
        }) && drawing.finish();
    });
    return ok || stopped;
}
