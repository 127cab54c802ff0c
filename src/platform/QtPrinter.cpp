#include "Printer.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

struct QtPrinter::State {
    QString requestedPdfDirectory;
    std::unique_ptr<QPrinter> setup;   // made at first use: finding printers takes time
    std::unique_ptr<QPrinter> printer; // the open document's printer
    QPainter painter;
    QFont font;
    QString pdfDirectory; // where documents go when there is no printer
    double x = 0;         // twips
    double y = 0;         // device pixels from the top of the printable area
    QStringList written;
    QHash<QString, double> widths; // twips, for the current font
    // Characters printed one by one are drawn together when the line ends: the positions
    // are those of the characters' own widths, and the page gets one run per line.
    QString run;
    double runX = 0;

    QPrinter& setupPrinter() {
        if (!setup) {
            setup = std::make_unique<QPrinter>(QPrinter::HighResolution);
            if (!requestedPdfDirectory.isEmpty() || QPrinterInfo::defaultPrinter().isNull()) {
                pdfDirectory = requestedPdfDirectory;
                if (pdfDirectory.isEmpty()) {
                    // A new account may have no documents folder yet: it is made, and where
                    // it cannot be, the home folder takes the documents.
                    pdfDirectory =
                        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
                    if (pdfDirectory.isEmpty() || !QDir().mkpath(pdfDirectory))
                        pdfDirectory = QDir::homePath();
                }
                setup->setOutputFormat(QPrinter::PdfFormat);
            }
        }
        return *setup;
    }
    QPrinter& device() { return printer ? *printer : setupPrinter(); }
    double toTwips(double px) { return px * 1440.0 / device().resolution(); }
    double toPixels(double twips) { return twips * device().resolution() / 1440.0; }
    QFontMetricsF metrics() { return QFontMetricsF(font, &device()); }

    double width(QStringView text) {
        const QString key = text.toString();
        auto it = widths.constFind(key);
        if (it == widths.constEnd())
            it = widths.insert(key, toTwips(metrics().horizontalAdvance(key)));
        return *it;
    }

    void flushRun() {
        if (run.isEmpty())
            return;
        painter.drawText(QPointF(toPixels(runX), y + metrics().ascent()), run);
        run.clear();
    }

    // A line of the current font that would pass the bottom starts a new page; the font may
    // have changed since the line before, so the check is made as each line begins.
    void continueOnNewPageIfFull() {
        if (y > 0 && y + metrics().height() > printer->height()) {
            printer->newPage();
            y = 0;
        }
    }

    QString nextPdfName() const {
        const QString stamp =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        const QString base = QDir(pdfDirectory).filePath(QStringLiteral("Karvel-") + stamp);
        QString name = base + QStringLiteral(".pdf");
        for (int n = 2; QFileInfo::exists(name) || written.contains(name); ++n)
            name = base + QStringLiteral("-%1.pdf").arg(n);
        return name;
    }
};

QtPrinter::QtPrinter(const QString& pdfDirectory) : d(std::make_unique<State>()) {
    d->requestedPdfDirectory = pdfDirectory;
    d->font.setPointSizeF(9);
    // Characters are placed one by one anyway; without shaping every glyph drawn is the one the
    // font maps the character to, so the document's text layer holds every printed character
    // (shaped Japanese fonts draw digits as glyphs that map back to no character).
    d->font.setStyleStrategy(QFont::PreferNoShaping);
}

QtPrinter::~QtPrinter() = default;

QPrinter* QtPrinter::setupPrinter() {
    return &d->setupPrinter();
}

QStringList QtPrinter::writtenFiles() const {
    return d->written;
}

void QtPrinter::setFont(const QString& family, double points) {
    d->flushRun();
    d->font.setFamily(family);
    if (points > 0)
        d->font.setPointSizeF(points);
    d->widths.clear();
    if (d->painter.isActive())
        d->painter.setFont(d->font);
}

double QtPrinter::currentX() const {
    return d->x;
}

void QtPrinter::setCurrentX(double twips) {
    if (twips != d->x)
        d->flushRun();
    d->x = twips;
}

double QtPrinter::textWidth(QStringView text) {
    return text.isEmpty() ? 0 : d->width(text);
}

double QtPrinter::pageWidth() {
    QPrinter& p = d->device();
    return d->toTwips(p.pageLayout().paintRectPixels(p.resolution()).width());
}

bool QtPrinter::begin() {
    if (d->painter.isActive())
        return true;
    QPrinter& setup = d->setupPrinter();
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setPageLayout(setup.pageLayout());
    if (setup.outputFormat() == QPrinter::PdfFormat) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(!d->pdfDirectory.isEmpty() && setup.outputFileName().isEmpty()
                                       ? d->nextPdfName()
                                       : setup.outputFileName());
    } else {
        printer->setPrinterName(setup.printerName());
    }
    printer->setDocName(QStringLiteral("Karvel"));
    d->printer = std::move(printer);
    if (!d->painter.begin(d->printer.get())) {
        error_ = d->printer->outputFormat() == QPrinter::PdfFormat
                     ? QStringLiteral("印刷できません。次のファイルに書き込めません: %1")
                           .arg(d->printer->outputFileName())
                     : QStringLiteral("印刷できません。プリンタ %1 を使用できません。")
                           .arg(d->printer->printerName());
        d->printer.reset();
        return false;
    }
    d->painter.setFont(d->font);
    d->y = 0;
    return true;
}

bool QtPrinter::print(QStringView text) {
    if (!begin())
        return false;
    if (d->run.isEmpty()) {
        // A new page is begun only when something goes onto it, so a document never ends
        // in an empty sheet.
        d->continueOnNewPageIfFull();
        d->runX = d->x;
    }
    d->run += text;
    d->x += d->width(text);
    return true;
}

bool QtPrinter::endLine() {
    if (!begin())
        return false;
    d->flushRun();
    d->x = 0;
    d->continueOnNewPageIfFull();
    d->y += d->metrics().lineSpacing();
    return true;
}

bool QtPrinter::endDoc() {
    d->x = 0;
    if (!d->painter.isActive())
        return true;
    d->flushRun();
    const bool ok = d->painter.end();
    if (d->printer->outputFormat() == QPrinter::PdfFormat)
        d->written << d->printer->outputFileName();
    if (!ok)
        error_ = QStringLiteral("印刷できません。印刷ジョブを送信できませんでした。");
    d->printer.reset();
    return ok;
}
