#pragma once
// Handing a finished PDF document to the print system (CUPS), with the reason in plain words
// when it cannot be done.
#include <QString>
#include <QStringList>

class QPrinter;

struct PrintJobResult {
    bool sent = false;
    QString reason; // why not, in Japanese
};

// The job options the setup printer carries (copies, duplex and the others its dialog keeps), as
// name, value, name, value, ...
QStringList jobOptionsOf(const QPrinter& setup);

// Sends pdf to the named printer as one job with those options.
PrintJobResult sendPdfToPrinter(const QString& printerName, const QString& pdf,
                                const QString& title, const QStringList& jobOptions);

// Whether the file is a PDF written to its end.
bool isCompletePdf(const QString& path);
