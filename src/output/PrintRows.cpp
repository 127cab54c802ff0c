#include "PrintRows.h"

#include "document/LineStore.h"
#include "platform/Printer.h"

#include <QTextBoundaryFinder>
#include <vector>

bool printRow(Printer& printer, QStringView text, const PrintMargins& margins) {
    printer.setCurrentX(margins.left);
    std::vector<qsizetype> bounds{0};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    while (finder.toNextBoundary() > 0)
        bounds.push_back(finder.position());
    const double right = printer.pageWidth() - margins.right; // the page stays during a row
    for (std::size_t j = 0; j + 1 < bounds.size(); ++j) {
        if (!printer.print(text.sliced(bounds[j], bounds[j + 1] - bounds[j])))
            return false;
        const double next =
            j + 2 < bounds.size()
                ? printer.textWidth(text.sliced(bounds[j + 1], bounds[j + 2] - bounds[j + 1]))
                : 0;
        if (printer.currentX() >= right - next) {
            if (!printer.endLine())
                return false;
            printer.setCurrentX(margins.left);
        }
    }
    return printer.endLine();
}

bool printSelectedRows(Printer& printer, const LineStore& rows, const PrintMargins& margins) {
    return rows.forEachSelected(
        [&](std::size_t row) { return printRow(printer, rows.rowText(row), margins); });
}
