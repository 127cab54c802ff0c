#pragma once
// Printing rows with one print command, and what a PDF holds: its text layer as pdftotext reads
// it (options such as "-layout", "-f 2") and its number of pages.
#include "output/PrintRows.h"
#include "support/FakeDesktop.h"

#include <QProcess>
#include <QString>
#include <QStringList>

inline QString runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline QString pdfToText(const QString& pdf, const QStringList& options = {}) {
    return runTool(QStringLiteral("pdftotext"), options + QStringList{pdf, QStringLiteral("-")});
}

inline int pdfPages(const QString& pdf) {
    const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
    const qsizetype at = info.indexOf(QStringLiteral("Pages:"));
    return at < 0 ? -1 : info.mid(at + 6).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
}

inline bool printRows(Printer& printer, const QStringList& rows, double pageMode,
                      double points = 10, const QString& family = QStringLiteral("DejaVu Sans")) {
    CancellingProgress goOn(-1);
    return runPrintCommand(printer, family, points, pageMode, goOn, [&] {
        for (const QString& r : rows)
            if (!printRow(printer, r, PrintMargins{}))
                return false;
        return true;
    });
}
