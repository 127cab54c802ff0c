#include "QtPrinter.h"

#include "PageJournal.h"
#include "PrintJob.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QStandardPaths>
#include <future>
#include <thread>

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

// The sheets of a document in the order a PDF file gets them: the chosen range, reversed where
// chosen, and the copies.
std::vector<int> sheetsInOrder(const DocumentTarget& target, int sheets) {
    const int from = target.fromSheet > 0 ? std::min(target.fromSheet, sheets) : 1;
    const int to = target.toSheet > 0 ? std::clamp(target.toSheet, from, sheets) : sheets;
    std::vector<int> once;
    for (int sheet = from - 1; sheet < to; ++sheet)
        once.push_back(sheet);
    if (target.reversed)
        std::reverse(once.begin(), once.end());
    std::vector<int> order;
    const int copies = std::max(1, target.copies);
    if (target.collated)
        for (int copy = 0; copy < copies; ++copy)
            order.insert(order.end(), once.begin(), once.end());
    else
        for (int sheet : once)
            order.insert(order.end(), std::size_t(copies), sheet);
    return order;
}

// A PDF writer at the resolution the document is measured in.
void layOut(QPdfWriter& writer, const QPageLayout& layout) {
    writer.setResolution(1200);
    writer.setPageLayout(layout);
    writer.setTitle(QStringLiteral("Karvel"));
    writer.setCreator(QStringLiteral("Karvel32"));
}

// Draws the recorded document into a PDF file: every sheet once for a printer, in the order and
// copies chosen for a PDF file. False (and no file) where it cannot be written whole.
bool writePdf(const PageJournal& journal, const QString& pdf, bool forPrinter) {
    const DocumentTarget& target = journal.target();
    const std::vector<qint64> starts = journal.sheetStarts();
    DocumentTarget plain;
    const std::vector<int> order = sheetsInOrder(forPrinter ? plain : target, int(starts.size()));
    bool written = false;
    {
        QPdfWriter writer(pdf);
        layOut(writer, target.layout);
        QPainter painter;
        if (painter.begin(&writer)) {
            const double pixelsPerTwip = writer.resolution() / 1440.0;
            QFont font;
            double ascent = 0;
            bool ok = true;
            for (std::size_t i = 0; i < order.size() && ok; ++i) {
                if (i > 0)
                    ok = writer.newPage();
                const ErrorCode error =
                    journal.readSheet(starts[std::size_t(order[i])], [&](const DrawnLine& line) {
                        if (line.family != font.family() || line.points != font.pointSizeF() ||
                            !ascent) {
                            font = printFont(line.family, line.points);
                            painter.setFont(font);
                            ascent = QFontMetricsF(font, &writer).ascent();
                        }
                        painter.drawText(QPointF(line.x, line.y) * pixelsPerTwip +
                                             QPointF(0, ascent),
                                         line.text);
                    });
                ok = ok && !error;
            }
            written = painter.end() && ok;
        }
    }
    if (written && isCompletePdf(pdf))
        return true;
    QFile::remove(pdf);
    return false;
}

// What became of an ended document.
struct Ended {
    bool printed = false;
    QString printer;     // the printer it was meant for
    QString printReason; // why that printer did not take it
    QString kept;        // the PDF file that holds it
    bool keptAsPlanned = false;

    // Neither printed nor kept: the record is all there is.
    bool lost() const { return !printed && kept.isEmpty(); }
    // What the person must be told ("" when the document went where it was meant to).
    QString trouble() const {
        if (printed || keptAsPlanned)
            return {};
        if (lost())
            return QStringLiteral("印刷した行を PDF ファイルとしてどのフォルダにも書き込めません"
                                  "でした（ディスクの空きが足りない可能性があります）。\n"
                                  "ページは開いたままです。次の用紙排出か次の起動時にもう一度"
                                  "試みます。");
        const QString where =
            QStringLiteral("印刷した行は次のファイルに保存しました: %1").arg(kept);
        if (!printReason.isEmpty())
            return QStringLiteral("プリンタ「%1」に印刷できませんでした。\n理由: %2。\n")
                       .arg(printer, printReason) +
                   where;
        return QStringLiteral("PDF ファイルを予定のフォルダに書き込めませんでした"
                              "（ディスクの空きが足りない可能性があります）。\n") +
               where;
    }
};

// Ends a recorded document: hands it to its printer, or keeps it as a PDF; a document the
// printer does not take is kept as a PDF too. Where its PDF cannot be written, it goes to the
// first place that takes it: the documents folder, the home folder, the temporary folder. The
// print system is waited for with progress (or for a limited time without).
Ended endDocument(const PageJournal& journal, Progress* progress) {
    const DocumentTarget& target = journal.target();
    Ended ended;
    ended.printer = target.printer;
    QString whyNot;
    if (target.defaultPrinter) {
        if (ended.printer.isEmpty())
            ended.printer = QStringLiteral("既定のプリンタ");
        const auto found =
            waitForPrintSystem<PrinterLookup>([] { return lookUpPrinter(); }, progress, &whyNot);
        if (!found)
            ended.printReason = whyNot;
        else if (!found->answered)
            ended.printReason = found->reason;
        else if (found->printer.isEmpty() && !target.printer.isEmpty())
            ended.printReason = QStringLiteral("既定のプリンタが見つかりません");
        else
            ended.printer = found->printer; // "" where there is none: a PDF as planned
    }
    if (target.toPrinter() && !ended.printer.isEmpty() && ended.printReason.isEmpty()) {
        for (const QString& dir : {PageJournal::directory(), QDir::tempPath()}) {
            const QString pdf = uniqueName(QDir(dir).filePath(QStringLiteral("printing.pdf")));
            if (!writePdf(journal, pdf, true))
                continue;
            const QString printer = ended.printer;
            const QStringList options = target.jobOptions;
            const auto job = waitForPrintSystem<PrintJobResult>(
                [=] {
                    PrintJobResult result =
                        sendPdfToPrinter(printer, pdf, QStringLiteral("Karvel"), options);
                    QFile::remove(pdf);
                    return result;
                },
                progress, &whyNot);
            ended.printed = job && job->sent;
            ended.printReason = !job ? whyNot : job->reason;
            break;
        }
        if (ended.printed)
            return ended;
        if (ended.printReason.isEmpty())
            ended.printReason = QStringLiteral("印刷データを書き込めませんでした。"
                                               "ディスクの空きが足りない可能性があります");
    }
    const bool planned = !target.toPrinter() || ended.printer.isEmpty();
    QStringList places;
    if (!target.toPrinter() && !target.pdfFile.isEmpty())
        places << uniqueName(target.pdfFile);
    for (const QString& dir :
         {target.pdfDirectory.isEmpty() ? documentsFolder() : target.pdfDirectory, QDir::homePath(),
          QDir::tempPath()})
        if (!dir.isEmpty())
            places << uniqueName(QDir(dir).filePath(datedPdfName()));
    for (const QString& place : places) {
        if (writePdf(journal, place, false)) {
            ended.kept = place;
            ended.keptAsPlanned = planned && place == places.first();
            break;
        }
    }
    return ended;
}

// The name the setup dialog fills in by itself when PDF output is picked for a printer: the
// document's name in the current folder where that is within the home folder, else in the home
// folder. Left as it is, it is no choice of a file.
QString dialogsOwnPdfName() {
    const QString home = QDir::homePath() + QLatin1Char('/');
    const QString current = QDir::currentPath() + QLatin1Char('/');
    return (current.startsWith(home) ? current : home) + QStringLiteral("Karvel.pdf");
}

// The paper a document gets where none was chosen: the default printer's, else the usual one
// where the person lives.
QPageLayout usualLayout(const QPageSize& defaultPaper) {
    const QPageSize paper = defaultPaper.isValid() ? defaultPaper
                            : QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                                ? QPageSize(QPageSize::Letter)
                                : QPageSize(QPageSize::A4);
    return QPageLayout(paper, QPageLayout::Portrait, QMarginsF(10, 10, 10, 10));
}

// The job options the setup dialog keeps for CUPS (pages per sheet and the like), as name/value
// pairs, under the print engine's key for them.
constexpr auto kCupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

} // namespace

// What the person chose in printer setup; what is not chosen follows the print system.
struct PrintSetup {
    enum class To { DefaultPrinter, Printer, PdfFile };
    To to = To::DefaultPrinter;
    QString printer;                   // To::Printer
    QString pdfFile;                   // To::PdfFile ("": a dated name in the documents folder)
    std::optional<QPageLayout> layout; // chosen paper and orientation
    int copies = 1;
    bool collate = true;
    bool reverse = false;
    std::optional<QPrinter::DuplexMode> duplex;
    std::optional<QPrinter::ColorMode> color;
    int fromPage = 0, toPage = 0; // for the next document only
    QStringList otherOptions;     // from the dialog's printer properties

    // The job options of a document going to a printer: the paper, and what was chosen.
    QStringList jobOptions(const QPageLayout& paper) const {
        QStringList o = paperOptions(paper);
        if (copies > 1)
            o << QStringLiteral("copies") << QString::number(copies)
              << QStringLiteral("multiple-document-handling")
              << (collate ? QStringLiteral("separate-documents-collated-copies")
                          : QStringLiteral("separate-documents-uncollated-copies"));
        if (reverse)
            o << QStringLiteral("outputorder") << QStringLiteral("reverse");
        if (fromPage > 0)
            o << QStringLiteral("page-ranges")
              << QStringLiteral("%1-%2").arg(fromPage).arg(std::max(fromPage, toPage));
        if (duplex)
            o << QStringLiteral("sides")
              << (*duplex == QPrinter::DuplexLongSide    ? QStringLiteral("two-sided-long-edge")
                  : *duplex == QPrinter::DuplexShortSide ? QStringLiteral("two-sided-short-edge")
                                                         : QStringLiteral("one-sided"));
        if (color)
            o << QStringLiteral("print-color-mode")
              << (*color == QPrinter::GrayScale ? QStringLiteral("monochrome")
                                                : QStringLiteral("color"));
        return o + otherOptions;
    }
};

struct QtPrinter::State {
    QString requestedPdfDirectory;
    // The default printer as the print system named it when the program started (asked on a
    // thread of its own), so that one that is down at the first print is not taken for none.
    std::shared_future<PrinterLookup> atStart;
    PrintSetup setup;
    QPageSize defaultPaper; // the default printer's, as last heard
    Progress* progress = nullptr;
    // What the setup dialog was given, to tell what the person changed.
    struct Offered {
        QPrinter::OutputFormat format;
        QString printer, file;
        QPageLayout layout;
        QPrinter::DuplexMode duplex;
        QPrinter::ColorMode color;
    };
    std::optional<Offered> offered;

    PageJournal journal; // the open document (open while there is one)
    QBuffer measureBuffer;
    // Measures on the paper in effect; made again once the paper changes (paperChanged).
    std::unique_ptr<QPdfWriter> measure;
    QFont font;
    double x = 0; // twips
    double y = 0; // device pixels from the top of the printable area
    QStringList written;
    QHash<QString, double> widths; // twips, for the current font
    // Characters printed one by one are drawn together when the line ends: the positions
    // are those of the characters' own widths, and the page gets one run per line.
    QString run;
    double runX = 0;
    // Where the open document has come to (what was drawn is in the journal).
    int sheet = 0;
    int linesOnSheet = 0;

    // The default printer named at start ("" where none was, or the answer is not in yet).
    QString startPrinter() const {
        return atStart.valid() &&
                       atStart.wait_for(std::chrono::seconds(0)) == std::future_status::ready
                   ? atStart.get().printer
                   : QString();
    }

    QPageLayout layoutInEffect() const {
        return journal.isOpen() ? journal.target().layout
                                : setup.layout.value_or(usualLayout(defaultPaper));
    }
    QPdfWriter& device() {
        if (!measure) {
            measure = std::make_unique<QPdfWriter>(&measureBuffer);
            layOut(*measure, layoutInEffect());
        }
        return *measure;
    }
    // A document began or ended, or setup chose other paper.
    void paperChanged() { measure.reset(); }
    double toTwips(double px) { return px * 1440.0 / device().resolution(); }
    QFontMetricsF metrics() { return QFontMetricsF(font, &device()); }
    double printableHeight() {
        return device().pageLayout().paintRectPixels(device().resolution()).height();
    }

    double width(QStringView text) {
        const QString key = text.toString();
        auto it = widths.constFind(key);
        if (it == widths.constEnd())
            it = widths.insert(key, toTwips(metrics().horizontalAdvance(key)));
        return *it;
    }

    // Where the next document goes, asking the print system for the default printer.
    DocumentTarget nextTarget() {
        DocumentTarget t;
        t.pdfDirectory = requestedPdfDirectory;
        if (requestedPdfDirectory.isEmpty()) {
            switch (setup.to) {
            case PrintSetup::To::PdfFile:
                t.pdfFile = setup.pdfFile;
                break;
            case PrintSetup::To::Printer:
                t.printer = setup.printer;
                break;
            case PrintSetup::To::DefaultPrinter:
                if (const auto found = waitForPrintSystem<PrinterLookup>(
                        [] { return lookUpPrinter(); }, progress, nullptr);
                    found && found->answered &&
                    (!found->printer.isEmpty() || startPrinter().isEmpty())) {
                    t.printer = found->printer; // "" where there is none: a PDF file
                    defaultPaper = found->paper;
                } else {
                    // Asked again when the page is ejected; told under the name known.
                    t.defaultPrinter = true;
                    t.printer = startPrinter();
                }
                break;
            }
        }
        t.layout = setup.layout.value_or(usualLayout(defaultPaper));
        if (t.toPrinter()) {
            t.jobOptions = setup.jobOptions(t.layout);
        } else {
            t.fromSheet = setup.fromPage;
            t.toSheet = setup.toPage;
            t.reversed = setup.reverse;
            t.copies = setup.copies;
            t.collated = setup.collate;
        }
        // A page range is chosen for one document.
        setup.fromPage = setup.toPage = 0;
        return t;
    }

    // The line being printed as the record keeps it.
    DrawnLine runAsDrawn() {
        return {sheet, runX, toTwips(y), run, font.family(), font.pointSizeF()};
    }
    // The record starts again with the next document.
    void forgetRecord() {
        paperChanged();
        sheet = 0;
        linesOnSheet = 0;
    }

    void flushRun() {
        if (run.isEmpty())
            return;
        journal.addLine(runAsDrawn());
        run.clear();
    }

    // A line of the current font that would pass the bottom starts a new page; the font may
    // have changed since the line before, so the check is made as each line begins.
    void continueOnNewPageIfFull() {
        if (y > 0 && y + metrics().height() > printableHeight()) {
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
    if (pdfDirectory.isEmpty())
        d->atStart = askPrintSystem<PrinterLookup>([] { return lookUpPrinter(); }).share();
}

QString QtPrinter::knownDefaultPrinter() const {
    return d->startPrinter();
}

QtPrinter::~QtPrinter() = default;

QStringList QtPrinter::writtenFiles() const {
    return d->written;
}

void QtPrinter::setProgress(Progress* progress) {
    d->progress = progress;
}

std::unique_ptr<QPrinter> QtPrinter::setupCopy() {
    // Made here only: making a printer asks the print system, as the dialog itself does; a print
    // system that does not answer would hold the window, so it is asked first, off its thread.
    if (d->requestedPdfDirectory.isEmpty()) {
        QString whyNot;
        if (!waitForPrintSystem<PrinterLookup>([] { return lookUpPrinter(); }, d->progress, &whyNot,
                                               std::chrono::seconds(5))) {
            error_ = QStringLiteral("プリンタの設定を開けません。\n理由: %1。").arg(whyNot);
            return nullptr;
        }
    }
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setDocName(QStringLiteral("Karvel"));
    const PrintSetup& s = d->setup;
    if (s.to == PrintSetup::To::Printer)
        p->setPrinterName(s.printer);
    if (!d->requestedPdfDirectory.isEmpty() || s.to == PrintSetup::To::PdfFile ||
        p->printerName().isEmpty()) {
        p->setOutputFormat(QPrinter::PdfFormat);
        // The name offered is where the document would go; taken unchanged, it is no choice.
        const QString dir =
            d->requestedPdfDirectory.isEmpty() ? documentsFolder() : d->requestedPdfDirectory;
        p->setOutputFileName(!s.pdfFile.isEmpty() ? s.pdfFile : QDir(dir).filePath(datedPdfName()));
    }
    p->setPageLayout(d->layoutInEffect());
    p->setCopyCount(s.copies);
    p->setCollateCopies(s.collate);
    p->setPageOrder(s.reverse ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
    if (s.duplex)
        p->setDuplex(*s.duplex);
    if (s.color)
        p->setColorMode(*s.color);
    if (QPrintEngine* engine = p->printEngine(); engine && !s.otherOptions.isEmpty())
        engine->setProperty(kCupsOptionsKey, s.otherOptions);
    d->offered = State::Offered{p->outputFormat(), p->printerName(), p->outputFileName(),
                                p->pageLayout(),   p->duplex(),      p->colorMode()};
    return p;
}

void QtPrinter::applySetup(const QPrinter& chosen) {
    if (!d->offered)
        return;
    const State::Offered offered = *std::exchange(d->offered, std::nullopt);
    PrintSetup& s = d->setup;
    bool otherPrinter = false;
    if (chosen.outputFormat() == QPrinter::PdfFormat) {
        if (offered.format != QPrinter::PdfFormat || chosen.outputFileName() != offered.file) {
            const QString name = chosen.outputFileName();
            s.to = PrintSetup::To::PdfFile;
            s.pdfFile = name == offered.file || name == dialogsOwnPdfName() ? QString() : name;
        }
    } else if (offered.format == QPrinter::PdfFormat || chosen.printerName() != offered.printer) {
        s.to = PrintSetup::To::Printer;
        s.printer = chosen.printerName();
        otherPrinter = true;
    }
    // Another printer comes with its own paper, which the dialog shows and the person takes.
    if (otherPrinter || !chosen.pageLayout().isEquivalentTo(offered.layout))
        s.layout = chosen.pageLayout();
    s.copies = std::max(1, chosen.copyCount());
    s.collate = chosen.collateCopies();
    s.reverse = chosen.pageOrder() == QPrinter::LastPageFirst;
    if (chosen.duplex() != offered.duplex)
        s.duplex = chosen.duplex();
    if (chosen.colorMode() != offered.color)
        s.color = chosen.colorMode();
    const bool range = chosen.printRange() == QPrinter::PageRange && chosen.fromPage() > 0;
    s.fromPage = range ? chosen.fromPage() : 0;
    s.toPage = range ? chosen.toPage() : 0;
    if (QPrintEngine* engine = const_cast<QPrinter&>(chosen).printEngine())
        s.otherOptions = engine->property(kCupsOptionsKey).toStringList();
    d->paperChanged();
    d->widths.clear();
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
    // The width is that of the document's paper, which is known once it has begun; a failure to
    // begin is told by the print that follows.
    begin();
    QPdfWriter& p = d->device();
    return d->toTwips(p.pageLayout().paintRectPixels(p.resolution()).width());
}

bool QtPrinter::begin() {
    if (d->journal.isOpen())
        return true;
    const DocumentTarget target = d->nextTarget(); // may learn the default printer's paper
    d->paperChanged();
    QString where;
    if (const ErrorCode error = d->journal.begin(target, &where)) {
        error_ = QStringLiteral("印刷できません。印刷中のページを記録するファイルを %1 に作れません"
                                "。\n%2")
                     .arg(where, error.description());
        return false;
    }
    d->widths.clear();
    d->y = 0;
    return true;
}

OpenSheets QtPrinter::openSheets(int sheet) {
    OpenSheets open;
    const QPageLayout layout = d->layoutInEffect();
    open.paper = layout.fullRectPoints().size() * 20.0;
    const QRectF paint = layout.paintRectPoints();
    open.printable = QRectF(paint.topLeft() * 20.0, paint.size() * 20.0);
    const bool active = d->journal.isOpen();
    if (active) {
        open.sheets = d->sheet + 1;
        open.linesOnLastSheet = d->linesOnSheet;
        const int shown = sheet < 0 ? d->sheet : std::min(sheet, d->sheet);
        // Read back from the journal: only one sheet's lines are ever held.
        d->journal.readOpenSheet(shown, [&](const DrawnLine& line) { open.lines.append(line); });
        if (shown == d->sheet && !d->run.isEmpty()) // the line being printed, not yet ended
            open.lines.append(d->runAsDrawn());
    }
    // A line fits where its top plus its height stays within the printable height.
    const QFontMetricsF fm = d->metrics();
    const double height = d->printableHeight();
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
    const Ended ended = endDocument(d->journal, d->progress);
    error_ = ended.trouble();
    if (ended.lost())
        return false; // the page stays open: nothing drawn is lost
    d->journal.remove();
    d->forgetRecord();
    if (!ended.kept.isEmpty())
        d->written << ended.kept;
    return error_.isEmpty();
}

bool QtPrinter::documentsLeftOpen() {
    return PageJournal::anyLeftOpen();
}

QString QtPrinter::endDocumentsLeftOpen() {
    QStringList told;
    for (PageJournal& journal : PageJournal::leftOpen()) {
        const Ended ended = endDocument(journal, d->progress);
        if (!ended.lost()) {
            journal.remove();
            if (!ended.kept.isEmpty())
                d->written << ended.kept;
        }
        QString what = ended.trouble();
        if (what.isEmpty())
            what =
                ended.printed
                    ? QStringLiteral("プリンタ「%1」に印刷しました。").arg(ended.printer)
                    : QStringLiteral("印刷した行は次のファイルに保存しました: %1").arg(ended.kept);
        told << what;
    }
    if (told.isEmpty())
        return {};
    return QStringLiteral("前回の終了時に排出されなかったページを排出しました。\n\n") +
           told.join(QStringLiteral("\n\n"));
}
