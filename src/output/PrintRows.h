#pragma once
// Printing rows onto the open print document, wrapped character by character at the margins.
#include "printing/Printer.h"

#include <QStringView>

class LineStore;
class Progress;

struct PrintMargins {
    double left = 100;  // twips: where every printed line begins
    double right = 100; // twips kept free before the page width
};

// Prints text as one row: each character is drawn, then the line is ended when the position
// has reached the page width less the next character's width and the right margin; finally
// the line is ended. A character is what the user sees as one (a surrogate pair is never
// split). Returns false on a printer failure. When progress says stop, the rest of the row is
// not printed (the line drawn so far is ended).
bool printRow(Printer& printer, QStringView text, const PrintMargins& margins,
              Progress* progress = nullptr);

// Prints the selected rows in ascending row order. When progress says stop, the rows not yet
// drawn are not printed and what is drawn stays: no failure.
bool printSelectedRows(Printer& printer, const LineStore& rows, const PrintMargins& margins,
                       Progress* progress = nullptr);

// One print command: the printer takes the list font's face and size, body draws, what it drew
// is put on disk, and the document is ended when eject is set. Returns false on a printer
// failure.
// Waits on the print system show in progress.
template <typename Body>
bool runPrintCommand(Printer& printer, const QString& family, double points, bool eject,
                     Progress& progress, Body body) {
    const PrinterProgress waiting(printer, &progress);
    printer.setFont(family, points);
    const bool drawn = body();
    if (!printer.saveOpenPage() || !drawn)
        return false;
    return eject ? printer.endDoc() : true;
}
