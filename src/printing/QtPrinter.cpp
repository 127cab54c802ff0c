#include "QtPrinter.h"

#include "PrintJob.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

struct QtPrinter::State {
    QString requestedPdfDirectory;
    std::unique_ptr<QPrinter> setup;   // made at first use: finding printers takes time
    QString setupDefault;              // the printer the setup printer started with
    std::unique_ptr<QPrinter> printer; // the open document, always written as a PDF
    QString target;                    // the printer it goes to when it ends ("": a PDF file)
    QPainter painter;
    QFont font;
    double x = 0; // twips
    double y = 0; // device pixels from the top of the printable area
    QStringList written;
    QHash<QString, double> widths; // twips, for the current font
    // Characters printed one by one are drawn together when the line ends: the positions
    // are those of the characters' own widths, and the page gets one run per line.
    QString run;
    double runX = 0;
    // The record of the open document.
    QList<DrawnLine> drawn;
    int sheet = 0;
    int linesOnSheet = 0;

    QPrinter& setupPrinter() {
        if (!setup) {
            setup = std::make_unique<QPrinter>(QPrinter::HighResolution);
            setupDefault = setup->printerName();
            if (!requestedPdfDirectory.isEmpty() || setupDefault.isEmpty())
                setup->setOutputFormat(QPrinter::PdfFormat);
        }
        return *setup;
    }
    // Where documents go that reach no printer: the documents folder, made where a new account
    // has none, or the home folder where it cannot be made.
    QString pdfDirectory() const {
        if (!requestedPdfDirectory.isEmpty())
            return requestedPdfDirectory;
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return !documents.isEmpty() && QDir().mkpath(documents) ? documents : QDir::homePath();
    }
    // The PDF file chosen in setup ("" where none was).
    QString chosenFile() {
        QPrinter& s = setupPrinter();
        return requestedPdfDirectory.isEmpty() && s.outputFormat() == QPrinter::PdfFormat
                   ? s.outputFileName()
                   : QString();
    }
    // The printer the next document goes to: the one chosen in setup, else the system's default
    // printer as it is now; "" for a PDF file.
    QString targetPrinter() {
        QPrinter& s = setupPrinter();
        if (!requestedPdfDirectory.isEmpty())
            return QString();
        if (!chosenFile().isEmpty())
            return QString();
        if (s.outputFormat() != QPrinter::PdfFormat && s.printerName() != setupDefault) {
            return s.printerName();
        }
        // Where the print system cannot be asked (it is down), the printer known at start is
        // tried, so that the failure is told rather than the pages quietly turned into a file.
        const QString now = QPrinterInfo::defaultPrinter().printerName();
        return now.isEmpty() ? setupDefault : now;
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

    // The line being printed as the record keeps it.
    DrawnLine runAsDrawn() {
        return {sheet, runX, toTwips(y), run, font.family(), font.pointSizeF()};
    }
    // The record starts again with the next document.
    void forgetRecord() {
        drawn.clear();
        sheet = 0;
        linesOnSheet = 0;
    }

    void flushRun() {
        if (run.isEmpty())
            return;
        painter.drawText(QPointF(toPixels(runX), y + metrics().ascent()), run);
        drawn.append(runAsDrawn());
        run.clear();
    }

    // A line of the current font that would pass the bottom starts a new page; the font may
    // have changed since the line before, so the check is made as each line begins.
    void continueOnNewPageIfFull() {
        if (y > 0 && y + metrics().height() > printer->height()) {
            printer->newPage();
            y = 0;
            ++sheet;
            linesOnSheet = 0;
        }
    }

    // A file of its own for each document: name, then name-2, name-3, ... before the suffix.
    QString uniqueName(const QString& name) const {
        const QFileInfo info(name);
        const QString stem = info.dir().filePath(info.completeBaseName());
        const QString suffix =
            info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
        QString candidate = name;
        for (int n = 2; QFileInfo::exists(candidate) || written.contains(candidate); ++n)
            candidate = stem + QStringLiteral("-%1").arg(n) + suffix;
        return candidate;
    }
    QString nextPdfName() const {
        const QString stamp =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        return uniqueName(
            QDir(pdfDirectory())
                .filePath(QStringLiteral("Karvel-") + stamp + QStringLiteral(".pdf")));
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
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setColorMode(setup.colorMode());
    printer->setDocName(QStringLiteral("Karvel"));
    d->target = d->targetPrinter();
    if (!d->target.isEmpty()) {
        // A document for a printer is written first, and handed over whole when it ends.
        QTemporaryFile temp(QDir::temp().filePath(QStringLiteral("karvel-XXXXXX.pdf")));
        temp.setAutoRemove(false);
        if (!temp.open()) {
            error_ = QStringLiteral("印刷できません。一時ファイルを作れません: %1")
                         .arg(temp.errorString());
            return false;
        }
        printer->setOutputFileName(temp.fileName());
    } else if (const QString chosen = d->chosenFile(); !chosen.isEmpty()) {
        printer->setOutputFileName(d->uniqueName(chosen));
    } else {
        printer->setOutputFileName(d->nextPdfName());
    }
    d->printer = std::move(printer);
    if (!d->painter.begin(d->printer.get())) {
        error_ = QStringLiteral("印刷できません。次のファイルに書き込めません: %1")
                     .arg(d->printer->outputFileName());
        if (!d->target.isEmpty())
            QFile::remove(d->printer->outputFileName());
        d->printer.reset();
        return false;
    }
    d->painter.setFont(d->font);
    d->y = 0;
    return true;
}

OpenSheets QtPrinter::openSheets() {
    OpenSheets open;
    QPrinter& device = d->device();
    const QPageLayout layout = device.pageLayout();
    open.paper = layout.fullRectPoints().size() * 20.0;
    const QRectF paint = layout.paintRectPoints();
    open.printable = QRectF(paint.topLeft() * 20.0, paint.size() * 20.0);
    const bool active = d->painter.isActive();
    if (active) {
        open.sheets = d->sheet + 1;
        open.linesOnLastSheet = d->linesOnSheet;
        open.lines = d->drawn;
        if (!d->run.isEmpty()) // the line being printed, not yet ended
            open.lines.append(d->runAsDrawn());
    }
    // A line fits where its top plus its height stays within the printable height.
    const QFontMetricsF fm = d->metrics();
    const double height = layout.paintRectPixels(device.resolution()).height();
    const double y = active ? d->y : 0;
    open.linesThatStillFit =
        y + fm.height() > height ? 0 : int((height - y - fm.height()) / fm.lineSpacing()) + 1;
    return open;
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
    ++d->linesOnSheet;
    return true;
}

bool QtPrinter::endDoc() {
    d->x = 0;
    if (!d->painter.isActive())
        return true;
    d->flushRun();
    d->painter.end();
    d->forgetRecord();
    const QString pdf = d->printer->outputFileName();
    d->printer.reset();
    const bool complete = isCompletePdf(pdf);
    if (d->target.isEmpty()) {
        if (complete) {
            d->written << pdf;
            return true;
        }
        QFile::remove(pdf);
        error_ = QStringLiteral("印刷できません。次のファイルを最後まで書き込めませんでした"
                                "（ディスクの空きが足りない可能性があります）: %1")
                     .arg(pdf);
        return false;
    }
    const QString printer = d->target;
    const PrintJobResult job =
        complete ? sendPdfToPrinter(printer, pdf, QStringLiteral("Karvel"), d->setupPrinter())
                 : PrintJobResult{};
    if (job.sent) {
        QFile::remove(pdf);
        return true;
    }
    // The pages are never lost: they are kept as a PDF where the person finds them.
    const QString kept = d->nextPdfName();
    const bool saved =
        complete && (QFile::rename(pdf, kept) || QFile::copy(pdf, kept)) && isCompletePdf(kept);
    QFile::remove(pdf);
    if (saved)
        d->written << kept;
    const QString why = complete ? job.reason
                                 : QStringLiteral("印刷データを最後まで書き込めませんでした。"
                                                  "ディスクの空きが足りない可能性があります");
    error_ =
        QStringLiteral("プリンタ「%1」に印刷できませんでした。\n理由: %2。\n").arg(printer, why) +
        (saved ? QStringLiteral("印刷した行は次のファイルに保存しました: %1").arg(kept)
               : QStringLiteral("印刷した行をファイルに保存することもできませんでした。"));
    return false;
}
