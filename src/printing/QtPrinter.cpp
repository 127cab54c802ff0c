#include "QtPrinter.h"

#include "PageJournal.h"
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

namespace {

QString datedPdfName() {
    return QStringLiteral("Karvel-") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
           QStringLiteral(".pdf");
}

// A file of its own for each document: name, then name-2, name-3, ... before the suffix.
QString uniqueName(const QString& name) {
    const QFileInfo info(name);
    const QString stem = info.dir().filePath(info.completeBaseName());
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString candidate = name;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = stem + QStringLiteral("-%1").arg(n) + suffix;
    return candidate;
}

// The documents folder, made where a new account has none ("" where it cannot be).
QString documentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir().mkpath(documents) ? documents : QString();
}

QFont printFont(const QString& family, double points) {
    QFont font(family);
    font.setPointSizeF(points > 0 ? points : 9);
    // Characters are placed one by one anyway; without shaping every glyph drawn is the one the
    // font maps the character to, so the document's text layer holds every printed character
    // (shaped Japanese fonts draw digits as glyphs that map back to no character).
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// Draws the recorded document into a PDF file; false (and no file) where it cannot be written
// whole.
bool writePdf(const PageJournal& journal, const QString& pdf) {
    const DocumentTarget& target = journal.target();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageLayout(target.layout);
    printer.setColorMode(target.color ? QPrinter::Color : QPrinter::GrayScale);
    printer.setDocName(QStringLiteral("Karvel"));
    printer.setOutputFileName(pdf);
    QPainter painter;
    if (!painter.begin(&printer)) {
        QFile::remove(pdf);
        return false;
    }
    const double pixelsPerTwip = printer.resolution() / 1440.0;
    int sheet = 0;
    QFont font;
    double ascent = 0;
    bool newPageFailed = false;
    const auto toSheet = [&](int wanted) {
        for (; sheet < wanted; ++sheet)
            newPageFailed |= !printer.newPage();
    };
    int sheets = 1;
    const ErrorCode error = journal.read(
        [&](const DrawnLine& line) {
            toSheet(line.sheet);
            if (line.family != font.family() || line.points != font.pointSizeF() || !ascent) {
                font = printFont(line.family, line.points);
                painter.setFont(font);
                ascent = QFontMetricsF(font, &printer).ascent();
            }
            painter.drawText(QPointF(line.x, line.y) * pixelsPerTwip + QPointF(0, ascent),
                             line.text);
        },
        [&] { ++sheets; });
    toSheet(sheets - 1);
    const bool ended = painter.end();
    if (error || newPageFailed || !ended || !isCompletePdf(pdf)) {
        QFile::remove(pdf);
        return false;
    }
    return true;
}

// What became of an ended document.
struct Ended {
    bool printed = false;
    QString printReason; // why the printer did not take it
    QString kept;        // the PDF file that holds it
    bool keptAsPlanned = false;

    // Neither printed nor kept: the record is all there is.
    bool lost() const { return !printed && kept.isEmpty(); }
    // What the person must be told ("" when the document went where it was meant to).
    QString trouble(const DocumentTarget& target) const {
        if (printed || keptAsPlanned)
            return {};
        if (lost())
            return QStringLiteral("印刷した行を PDF ファイルとしてどのフォルダにも書き込めません"
                                  "でした（ディスクの空きが足りない可能性があります）。\n"
                                  "ページは開いたままです。次の用紙排出か次の起動時にもう一度"
                                  "試みます。");
        const QString where =
            QStringLiteral("印刷した行は次のファイルに保存しました: %1").arg(kept);
        if (!target.printer.isEmpty())
            return QStringLiteral("プリンタ「%1」に印刷できませんでした。\n理由: %2。\n")
                       .arg(target.printer, printReason) +
                   where;
        return QStringLiteral("PDF ファイルを予定のフォルダに書き込めませんでした"
                              "（ディスクの空きが足りない可能性があります）。\n") +
               where;
    }
};

// Ends a recorded document: hands it to its printer, or keeps it as a PDF; a document the
// printer does not take is kept as a PDF too. Where its PDF cannot be written, it goes to the
// first place that takes it: the documents folder, the home folder, the temporary folder.
Ended endDocument(const PageJournal& journal) {
    const DocumentTarget& target = journal.target();
    Ended ended;
    if (!target.printer.isEmpty()) {
        for (const QString& dir : {PageJournal::directory(), QDir::tempPath()}) {
            const QString pdf = uniqueName(QDir(dir).filePath(QStringLiteral("printing.pdf")));
            if (!writePdf(journal, pdf))
                continue;
            const PrintJobResult job =
                sendPdfToPrinter(target.printer, pdf, QStringLiteral("Karvel"), target.jobOptions);
            QFile::remove(pdf);
            ended.printed = job.sent;
            ended.printReason = job.reason;
            break;
        }
        if (ended.printed)
            return ended;
        if (ended.printReason.isEmpty())
            ended.printReason = QStringLiteral("印刷データを書き込めませんでした。"
                                               "ディスクの空きが足りない可能性があります");
    }
    QStringList places;
    if (target.printer.isEmpty() && !target.pdfFile.isEmpty())
        places << uniqueName(target.pdfFile);
    for (const QString& dir :
         {target.pdfDirectory.isEmpty() ? documentsFolder() : target.pdfDirectory, QDir::homePath(),
          QDir::tempPath()})
        if (!dir.isEmpty())
            places << uniqueName(QDir(dir).filePath(datedPdfName()));
    for (const QString& place : places) {
        if (writePdf(journal, place)) {
            ended.kept = place;
            ended.keptAsPlanned = target.printer.isEmpty() && place == places.first();
            break;
        }
    }
    return ended;
}

} // namespace

struct QtPrinter::State {
    QString requestedPdfDirectory;
    std::unique_ptr<QPrinter> setup;  // made at first use: finding printers takes time
    QString setupDefault;             // the printer the setup printer started with
    PageJournal journal;              // the open document (open while there is one)
    std::unique_ptr<QPrinter> layout; // measures on the open document's paper
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
    DocumentTarget nextTarget() {
        QPrinter& s = setupPrinter();
        DocumentTarget t;
        t.printer = targetPrinter();
        if (t.printer.isEmpty())
            t.pdfFile = chosenFile();
        t.pdfDirectory = requestedPdfDirectory;
        t.layout = s.pageLayout();
        t.color = s.colorMode() == QPrinter::Color;
        t.jobOptions = jobOptionsOf(s);
        return t;
    }
    QPrinter& device() { return layout ? *layout : setupPrinter(); }
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
        layout.reset();
    }

    void flushRun() {
        if (run.isEmpty())
            return;
        drawn.append(runAsDrawn());
        journal.addLine(drawn.last());
        run.clear();
    }

    // A line of the current font that would pass the bottom starts a new page; the font may
    // have changed since the line before, so the check is made as each line begins.
    void continueOnNewPageIfFull() {
        if (y > 0 && y + metrics().height() > layout->height()) {
            journal.addSheet();
            y = 0;
            ++sheet;
            linesOnSheet = 0;
        }
    }
};

QtPrinter::QtPrinter(const QString& pdfDirectory) : d(std::make_unique<State>()) {
    d->requestedPdfDirectory = pdfDirectory;
    d->font = printFont(d->font.family(), 9);
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
    d->font = printFont(family, points > 0 ? points : d->font.pointSizeF());
    d->widths.clear();
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
    if (d->journal.isOpen())
        return true;
    QString where;
    if (const ErrorCode error = d->journal.begin(d->nextTarget(), &where)) {
        error_ = QStringLiteral("印刷できません。印刷中のページを記録するファイルを %1 に作れません"
                                "。\n%2")
                     .arg(where, error.description());
        return false;
    }
    d->layout = std::make_unique<QPrinter>(QPrinter::HighResolution);
    d->layout->setOutputFormat(QPrinter::PdfFormat);
    d->layout->setPageLayout(d->journal.target().layout);
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
    const bool active = d->journal.isOpen();
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

bool QtPrinter::saveOpenPage() {
    d->flushRun();
    if (const ErrorCode error = d->journal.save()) {
        error_ = QStringLiteral("印刷中のページを %1 に記録できません。\n%2")
                     .arg(PageJournal::directory(), error.description());
        return false;
    }
    return true;
}

bool QtPrinter::endDoc() {
    d->x = 0;
    if (!d->journal.isOpen())
        return true;
    if (!saveOpenPage())
        return false; // the page stays open: nothing drawn is lost
    const Ended ended = endDocument(d->journal);
    error_ = ended.trouble(d->journal.target());
    if (ended.lost())
        return false; // the page stays open: nothing drawn is lost
    d->journal.remove();
    d->forgetRecord();
    if (!ended.kept.isEmpty())
        d->written << ended.kept;
    return error_.isEmpty();
}

QString QtPrinter::endDocumentsLeftOpen() {
    QStringList told;
    for (PageJournal& journal : PageJournal::leftOpen()) {
        const DocumentTarget& target = journal.target();
        const Ended ended = endDocument(journal);
        if (!ended.lost()) {
            journal.remove();
            if (!ended.kept.isEmpty())
                d->written << ended.kept;
        }
        QString what = ended.trouble(target);
        if (what.isEmpty())
            what =
                ended.printed
                    ? QStringLiteral("プリンタ「%1」に印刷しました。").arg(target.printer)
                    : QStringLiteral("印刷した行は次のファイルに保存しました: %1").arg(ended.kept);
        told << what;
    }
    if (told.isEmpty())
        return {};
    return QStringLiteral("前回の終了時に排出されなかったページを排出しました。\n\n") +
           told.join(QStringLiteral("\n\n"));
}
