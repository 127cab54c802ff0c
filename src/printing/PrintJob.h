#pragma once
// Handing a finished PDF document to the print system (CUPS), with the reason in plain words
// when it cannot be done.
#include <QString>

class QPrinter;

struct PrintJobResult {
    bool sent = false;
    QString reason; // why not, in Japanese
};

// Sends pdf to the named printer as one job, with the copies, duplex and other job options the
// setup printer carries.
PrintJobResult sendPdfToPrinter(const QString& printerName, const QString& pdf,
                                const QString& title, const QPrinter& setup);

// Whether the file is a PDF written to its end.
bool isCompletePdf(const QString& path);
