#include "Printer.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

struct QtPrinter::State {
    QPrinter setup{QPrinter::HighResolution};
    std::unique_ptr<QPrinter> printer; // the open document's printer
    QPainter painter;
    QFont font;
    QString pdfDirectory;
    bool pdf = false;
    double x = 0; // twips
    double y = 0; // device pixels from the top of the printable area
    bool pageFull = false;
    QStringList written;

    void continueOnNewPageIfFull();

    double toTwips(double px) const {
        return px * 1440.0 / (printer ? printer->resolution() : setup.resolution());
    }
    double toPixels(double twips) const {
        return twips * (printer ? printer->resolution() : setup.resolution()) / 1440.0;
    }
    QPrinter& device() { return printer ? *printer : setup; }
    QFontMetricsF metrics() { return QFontMetricsF(font, &device()); }

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
    d->font.setPointSizeF(9);
    if (!pdfDirectory.isEmpty() || QPrinterInfo::defaultPrinter().isNull()) {
        d->pdf = true;
        d->pdfDirectory = pdfDirectory;
        if (d->pdfDirectory.isEmpty())
            d->pdfDirectory = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (d->pdfDirectory.isEmpty())
            d->pdfDirectory = QDir::homePath();
        d->setup.setOutputFormat(QPrinter::PdfFormat);
    }
}

QtPrinter::~QtPrinter() = default;

QPrinter* QtPrinter::setupPrinter() {
    return &d->setup;
}

QStringList QtPrinter::writtenFiles() const {
    return d->written;
}

void QtPrinter::setFont(const QString& family, double points) {
    d->font.setFamily(family);
    if (points > 0)
        d->font.setPointSizeF(points);
    if (d->painter.isActive())
        d->painter.setFont(d->font);
}

double QtPrinter::currentX() const {
    return d->x;
}
void QtPrinter::setCurrentX(double twips) {
    d->x = twips;
}

double QtPrinter::textWidth(QStringView text) {
    return text.isEmpty() ? 0 : d->toTwips(d->metrics().horizontalAdvance(text.toString()));
}

double QtPrinter::pageWidth() {
    return d->toTwips(d->device().pageLayout().paintRectPixels(d->device().resolution()).width());
}

bool QtPrinter::begin() {
    if (d->painter.isActive())
        return true;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setPageLayout(d->setup.pageLayout());
    if (d->setup.outputFormat() == QPrinter::PdfFormat) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(d->pdf && d->setup.outputFileName().isEmpty()
                                       ? d->nextPdfName()
                                       : d->setup.outputFileName());
    } else {
        printer->setPrinterName(d->setup.printerName());
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
    d->pageFull = false;
    return true;
}

// A new page is begun only when something goes onto it, so a document never ends in an
// empty sheet.
void QtPrinter::State::continueOnNewPageIfFull() {
    if (pageFull) {
        printer->newPage();
        y = 0;
        pageFull = false;
    }
}

bool QtPrinter::print(QStringView text) {
    if (!begin())
        return false;
    d->continueOnNewPageIfFull();
    const QFontMetricsF fm = d->metrics();
    const QString s = text.toString();
    d->painter.drawText(QPointF(d->toPixels(d->x), d->y + fm.ascent()), s);
    d->x += d->toTwips(fm.horizontalAdvance(s));
    return true;
}

bool QtPrinter::endLine() {
    d->x = 0;
    if (!begin())
        return false;
    d->continueOnNewPageIfFull();
    const QFontMetricsF fm = d->metrics();
    d->y += fm.lineSpacing();
    d->pageFull = d->y + fm.height() > d->printer->height();
    return true;
}

bool QtPrinter::endDoc() {
    d->x = 0;
    if (!d->painter.isActive())
        return true;
    const bool ok = d->painter.end();
    if (d->printer->outputFormat() == QPrinter::PdfFormat)
        d->written << d->printer->outputFileName();
    if (!ok)
        error_ = QStringLiteral("印刷できません。印刷ジョブを送信できませんでした。");
    d->printer.reset();
    return ok;
}
