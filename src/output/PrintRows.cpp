#include "PrintRows.h"

#include "document/LineStore.h"
#include "printing/Printer.h"
#include "system/Progress.h"

#include <QTextBoundaryFinder>

bool printRow(Printer& printer, QStringView text, const PrintMargins& margins, Progress* progress) {
    printer.setCurrentX(margins.left);
    // The characters are walked one ahead: the one to draw and the one after it.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype begin = 0;
    qsizetype end = text.isEmpty() ? -1 : finder.toNextBoundary();
    const double right = printer.pageWidth() - margins.right; // the page stays during a row
    for (std::size_t drawn = 1; end > begin; ++drawn) {
        if (!printer.print(text.sliced(begin, end - begin)))
            return false;
        const qsizetype after = finder.toNextBoundary();
        const double next = after > end ? printer.textWidth(text.sliced(end, after - end)) : 0;
        if (printer.currentX() >= right - next) {
            if (!printer.endLine())
                return false;
            printer.setCurrentX(margins.left);
        }
        begin = end;
        end = after;
        // Stopped by the person in a very long row: what is drawn stays, the rest is not.
        if (progress && drawn % 4096 == 0 &&
            !progress->advanceInRow(std::uint64_t(begin), std::uint64_t(text.size())))
            break;
    }
    return printer.endLine();
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
        return printRow(printer, rows.rowText(row), margins, progress);
    });
    return ok || stopped;
}
