// Measures the program's operations beside the reference commands a user would otherwise
// reach for, on the same files in the same run, and prints one table.
#include "app/ApplicationSetup.h"
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "listview/LineListView.h"
#include "output/OutputRules.h"
#include "output/PrintRows.h"
#include "printing/QtPrinter.h"
#include "search/StrSearch.h"
#include "text/TextFormat.h"
#include "ui/ProgressWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <malloc.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

int kRuns = 5;
const std::string kScratch = "/tmp/karvel-bench-out";

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median wall time of f over the runs; setup (untimed) runs before each.
double timeMs(const std::function<void()>& f, const std::function<void()>& setup = {}) {
    std::vector<double> t;
    for (int i = 0; i < kRuns; ++i) {
        if (setup)
            setup();
        const double s = nowMs();
        f();
        t.push_back(nowMs() - s);
    }
    return median(t);
}

// Median wall times of a and b, their runs taking turns so that the machine's drift falls on
// both alike; setup (untimed) runs before each.
std::pair<double, double> timeTurnsMs(const std::function<void()>& a,
                                      const std::function<void()>& b,
                                      const std::function<void()>& setup = {}) {
    std::vector<double> ta, tb;
    for (int i = 0; i < kRuns; ++i)
        for (auto [f, t] : {std::pair{&a, &ta}, std::pair{&b, &tb}}) {
            if (setup)
                setup();
            const double s = nowMs();
            (*f)();
            t->push_back(nowMs() - s);
        }
    return {median(ta), median(tb)};
}

// Runs a command with its standard output going to outFile (or /dev/null) and its messages
// going nowhere, so they do not interleave with the table.
void runCommand(const std::vector<std::string>& argv, const std::string& outFile = "/dev/null",
                const std::vector<std::string>& env = {}) {
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> envStrings = env;
    for (char** e = environ; *e; ++e)
        envStrings.push_back(*e);
    std::vector<char*> envp;
    for (std::string& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&fa);
}

double commandMs(const std::vector<std::string>& argv, const std::string& outFile = "/dev/null",
                 const std::vector<std::string>& env = {}) {
    return timeMs([&] { runCommand(argv, outFile, env); });
}

long rssKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

struct Row {
    QString op, corpus;
    double ours, reference;
    QString goal;
    bool met;
    QString note;
    bool information = false; // shown for comparison, no goal
};
std::vector<Row> table;

void add(Row r) {
    std::printf("  %-52s %-6s %10.2f %10.2f  %s\n", qPrintable(r.op), qPrintable(r.corpus), r.ours,
                r.reference,
                r.information ? ""
                : r.met       ? "ok"
                              : "MISSED");
    std::fflush(stdout);
    table.push_back(std::move(r));
}

std::size_t decodedReferenceCount(const LineStore& rows, const QString& needle) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < rows.rowCount(); ++i) {
        const QString t = rows.rowText(i);
        if (!t.isEmpty() && t.contains(needle))
            ++n;
    }
    return n;
}

// grep's arguments for the needle's bytes: UTF-16 holds zero bytes, which no argument can, so
// its needle goes through a pattern file.
std::vector<std::string> grepArgs(std::vector<std::string> args, const std::string& needleBytes,
                                  const std::string& file) {
    if (needleBytes.find('\0') != std::string::npos) {
        const std::string pattern = "/tmp/karvel-bench-pattern";
        QFile f(QString::fromStdString(pattern));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(needleBytes.data(), qint64(needleBytes.size()));
        args.insert(args.end(), {"-a", "-f", pattern, file});
    } else {
        args.insert(args.end(), {"-e", needleBytes, file});
    }
    return args;
}

std::size_t grepCount(const std::string& needleBytes, const std::string& file) {
    const std::string out = "/tmp/karvel-bench-grep-count";
    runCommand(grepArgs({"grep", "-F", "-c"}, needleBytes, file), out, {"LC_ALL=C"});
    QFile f(QString::fromStdString(out));
    f.open(QIODevice::ReadOnly);
    return f.readAll().trimmed().toULongLong();
}

// The needle's bytes in the corpus's encoding, for the reference commands.
std::string bytesOf(const QString& text, const LineStore& rows) {
    return encodeText(rows.format().encoding, text)->toStdString();
}

void benchCorpus(const QString& path, const QString& label, bool full) {
    const std::string file = path.toStdString();
    // Warm the page cache for both sides.
    runCommand({"cat", file});

    LineStore rows;
    const double open = timeMs([&] { text_read(path, rows); }, [&] { rows.clear(); });
    const std::string readCount =
        (QCoreApplication::applicationDirPath() + QStringLiteral("/karvel_read_count"))
            .toStdString();
    const bool lf =
        label.endsWith(QStringLiteral("utf8")) || label.endsWith(QStringLiteral("eucjp"));
    const double floor = commandMs(lf ? std::vector<std::string>{readCount, file, "lf"}
                                      : std::vector<std::string>{readCount, file},
                                   kScratch);
    add({"open: read and index every row", label, open, floor,
         "<= 1.1x reading into a new buffer and counting line ends", open <= 1.1 * floor, ""});
    const double wc = commandMs({"wc", "-l", file}, kScratch);
    add({"open, beside wc -l", label, open, wc, "(information)", true, "", true});

    rows.clear();
    malloc_trim(0); // the timed loads' freed memory would otherwise be reused unseen
    const long before = rssKiB();
    text_read(path, rows);
    const double usedMiB = double(rssKiB() - before) / 1024.0;
    const double size = double(QFileInfo(path).size());
    const double allowedMiB =
        (size + 8.0 * rows.rowCount() + rows.rowCount() / 8.0) / 1048576.0 + 64;
    add({"memory after open (MiB; reference: allowance)", label, usedMiB, allowedMiB,
         "<= size + 8 B/row + 1 bit/row + 64 MiB", usedMiB <= allowedMiB, ""});

    struct Needle {
        QString text;
        bool bytesEqualExpected;
    };
    const Needle needles[] = {{QStringLiteral("ERROR"), true},
                              {QStringLiteral("接続"), false},
                              {QStringLiteral("\\"), false}};
    for (const Needle& n : needles) {
        const std::string bytes = bytesOf(n.text, rows);
        std::size_t found = 0;
        const double ours =
            timeMs([&] { found = StrSearch(n.text, rows); }, [&] { rows.clearSelection(); });
        // Into a file: grep stops at its first match when its output is /dev/null.
        const double grep =
            commandMs(grepArgs({"grep", "-F", "-c"}, bytes, file), kScratch, {"LC_ALL=C"});
        const std::size_t grepHits = grepCount(bytes, file);
        QString note = QStringLiteral("rows %1, grep %2").arg(found).arg(grepHits);
        bool countOk = true;
        if (full) {
            const std::size_t ref = decodedReferenceCount(rows, n.text);
            countOk = ref == found;
            note += QStringLiteral(", decoded reference %1").arg(ref);
        }
        add({QStringLiteral("search \"%1\" adding hits to the selection").arg(n.text), label, ours,
             grep, "<= 1.5x grep -F -c, count = decoded", ours <= 1.5 * grep && countOk, note});
    }
}

// A second search and writing the rows it selected.
void benchSelection(const QString& path, const QString& label) {
    const std::string file = path.toStdString();
    LineStore rows;
    text_read(path, rows);
    QTemporaryDir tmp;

    // A second search adding to a selection of over a million scattered rows.
    const QString first = QStringLiteral("ERROR"), second = QStringLiteral("接続");
    const double alone = timeMs([&] { StrSearch(second, rows); }, [&] { rows.clearSelection(); });
    const double adding = timeMs([&] { StrSearch(second, rows); },
                                 [&] {
                                     rows.clearSelection();
                                     StrSearch(first, rows);
                                 });
    rows.clearSelection();
    const std::size_t scattered = StrSearch(first, rows);
    add({"second search adding to a scattered selection", label, adding, alone,
         "<= 1.2x the first search", adding <= 1.2 * alone,
         QStringLiteral("%1 rows selected before").arg(scattered)});

    // Writing the selected rows, beside grep writing the same lines.
    const QString out = tmp.filePath(QStringLiteral("ours.txt"));
    const std::string ref = tmp.filePath(QStringLiteral("grep.txt")).toStdString();
    const double write = timeMs([&] { writeSelectedRows(out, 0, rows); });
    const double grep =
        commandMs(grepArgs({"grep", "-F"}, bytesOf(first, rows), file), ref, {"LC_ALL=C"});
    QFile a(out), b(QString::fromStdString(ref));
    a.open(QIODevice::ReadOnly);
    b.open(QIODevice::ReadOnly);
    bool same = false;
    if (isUtf16(rows.format().encoding)) {
        // grep splits UTF-16 on 0x0A bytes, so its lines are no reference: every written line
        // must hold the needle, one line a selected row.
        const QByteArray written = a.readAll();
        const QString text =
            decodeText(rows.format().encoding, written.data() + 2, std::size_t(written.size() - 2));
        QStringList lines = text.split(QStringLiteral("\r\n"));
        same = written.startsWith("\xff\xfe") && lines.takeLast().isEmpty() &&
               std::size_t(lines.size()) == rows.selectedCount() &&
               std::all_of(lines.begin(), lines.end(),
                           [&](const QString& l) { return l.contains(first); });
    } else {
        same = a.readAll() == b.readAll();
    }
    add({"write the selected rows", label, write, grep, "<= 1.5x grep > out, bytes equal",
         write <= 1.5 * grep && same,
         QStringLiteral("%1 rows, bytes %2").arg(scattered).arg(same ? "identical" : "DIFFER")});
}

// The list on the offscreen platform with a scattered selection.
void benchView(const QString& path, const QString& label) {
    LineStore rows;
    text_read(path, rows);
    StrSearch(QStringLiteral("ERROR"), rows);
    LineListView view(rows);
    view.resize(800, 600);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        std::fprintf(stderr, "the list was never shown\n");
    const double firstPaint =
        timeMs([&] { view.viewport()->repaint(); }, [&] { view.documentReset(); });
    add({"first screen painted after open", label, firstPaint, 100, "<= 100 ms", firstPaint <= 100,
         ""});
    const double repaint = timeMs([&] { view.viewport()->repaint(); });
    add({"repaint one page, scattered selection", label, repaint, 16, "<= 16 ms", repaint <= 16,
         ""});
    QScrollBar* v = view.verticalScrollBar();
    const double scroll = timeMs([&] {
        v->setValue(v->value() + v->pageStep());
        view.viewport()->repaint();
    });
    add({"scroll one page, scattered selection", label, scroll, 16, "<= 16 ms", scroll <= 16, ""});
    // Copying a million selected rows to the clipboard, beside writing them to a file.
    rows.clearSelection();
    rows.setRangeSelected(0, std::min<std::size_t>(rows.rowCount(), 1000000) - 1, true);
    QTemporaryDir tmp;
    const QString out = tmp.filePath(QStringLiteral("copied.txt"));
    const auto [copy, write] =
        timeTurnsMs([&] { view.copySelection(); }, [&] { writeSelectedRows(out, 0, rows); });
    add({"copy the selected rows to the clipboard", label, copy, write,
         "<= 3x writing them to a file", copy <= 3 * write,
         QStringLiteral("%1 rows").arg(rows.selectedCount())});
    rows.clearSelection();
    StrSearch(QStringLiteral("ERROR"), rows);
    const QPoint at = view.rowRect(3).center();
    const double click = timeMs(
        [&] { QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, at); });
    add({"Ctrl+click one row", label, click, 1, "<= 1 ms", click <= 1, ""});
}

// The same work with the progress machinery active (the real progress window on this
// platform) and without it.
void benchProgress(const QString& path, const QString& label) {
    LineStore rows;
    const auto [plainOpen, watchedOpen] = timeTurnsMs(
        [&] { text_read(path, rows); },
        [&] {
            QtProgress progress(nullptr, QStringLiteral("ファイルを読み込んでいます..."));
            text_read(path, rows, &progress);
        },
        [&] { rows.clear(); });
    add({"open with progress and Cancel", label, watchedOpen, plainOpen, "<= 1.05x without",
         watchedOpen <= 1.05 * plainOpen, ""});
    text_read(path, rows);
    const QString needle = QStringLiteral("接続");
    const auto [plainSearch, watchedSearch] =
        timeTurnsMs([&] { StrSearch(needle, rows); },
                    [&] {
                        QtProgress progress(nullptr, QStringLiteral("検索しています..."));
                        StrSearch(needle, rows, &progress);
                    },
                    [&] { rows.clearSelection(); });
    add({"search with progress and Cancel", label, watchedSearch, plainSearch, "<= 1.05x without",
         watchedSearch <= 1.05 * plainSearch, ""});
}

// Work that is never stopped.
struct GoOn : Progress {
    bool advance(std::uint64_t, std::uint64_t) override { return true; }
};

void benchPrintProgress(const QString& path) {
    LineStore rows;
    text_read(path, rows);
    rows.setRangeSelected(0, std::min<std::size_t>(rows.rowCount(), 100000) - 1, true);
    QTemporaryDir tmp;
    const QString family = QStringLiteral("Noto Sans CJK JP");
    auto print = [&](const std::function<bool(Printer&, Progress*)>& body, bool watched) {
        QtPrinter printer(tmp.path());
        QtProgress progress(nullptr, QStringLiteral("印刷しています..."));
        GoOn goOn;
        runPrintCommand(printer, family, 9, 1, watched ? static_cast<Progress&>(progress) : goOn,
                        [&] { return body(printer, watched ? &progress : nullptr); });
    };
    auto allRows = [&](Printer& p, Progress* progress) {
        return printSelectedRows(p, rows, PrintMargins{}, progress);
    };
    const auto [plainRows, watchedRows] =
        timeTurnsMs([&] { print(allRows, false); }, [&] { print(allRows, true); });
    add({"print 100,000 rows to PDF with progress and Cancel", QStringLiteral("100k"), watchedRows,
         plainRows, "<= 1.05x without", watchedRows <= 1.05 * plainRows, ""});
    QString longRow;
    for (std::size_t r = 0; longRow.size() < 500000; ++r)
        longRow += rows.rowText(r);
    auto oneRow = [&](Printer& p, Progress* progress) {
        return printRow(p, longRow, PrintMargins{}, progress);
    };
    const auto [plainRow, watchedRow] =
        timeTurnsMs([&] { print(oneRow, false); }, [&] { print(oneRow, true); });
    add({"print one 1 MB row to PDF with progress and Cancel", QStringLiteral("1 row"), watchedRow,
         plainRow, "<= 1.05x without", watchedRow <= 1.05 * plainRow,
         QStringLiteral("%1 characters").arg(longRow.size())});
}

void benchPrint(const QString& path) {
    LineStore rows;
    text_read(path, rows);
    rows.setRangeSelected(0, std::min<std::size_t>(rows.rowCount(), 10000) - 1, true);
    QTemporaryDir tmp;
    const QString family = QStringLiteral("Noto Sans CJK JP");
    const double ours = timeMs([&] {
        QtPrinter printer(tmp.path());
        GoOn goOn;
        runPrintCommand(printer, family, 9, 1, goOn,
                        [&] { return printSelectedRows(printer, rows, PrintMargins{}); });
    });
    const double whole = timeMs([&] {
        QPdfWriter pdf(tmp.filePath(QStringLiteral("whole.pdf")));
        QPainter p(&pdf);
        QFont font(family);
        font.setPointSizeF(9);
        p.setFont(font);
        const QFontMetricsF fm(font, &pdf);
        double y = 0;
        rows.forEachSelected([&](std::size_t r) {
            if (y + fm.height() > pdf.height()) {
                pdf.newPage();
                y = 0;
            }
            p.drawText(QPointF(100.0 * pdf.resolution() / 1440, y + fm.ascent()), rows.rowText(r));
            y += fm.lineSpacing();
            return true;
        });
    });
    add({"print 10,000 rows to PDF, per-character rule", QStringLiteral("10k"), ours, whole,
         "<= 2x whole lines with QPainter", ours <= 2 * whole, ""});
}

// Milliseconds from starting a program to its first paint (the program writes that moment of
// the steady clock to its standard output); infinite when it never painted.
double firstPaintMs(const std::string& program) {
    const double start = nowMs();
    runCommand({program}, kScratch);
    QFile out(QString::fromStdString(kScratch));
    bool painted = out.open(QIODevice::ReadOnly);
    const double paint = painted ? out.readAll().trimmed().toDouble(&painted) : 0;
    if (!painted) {
        std::fprintf(stderr, "%s did not paint its window\n", program.c_str());
        return std::numeric_limits<double>::infinity();
    }
    return paint - start;
}

// Start-up takes a few tens of milliseconds and this machine's speed drifts, so the programs take
// turns, more times than the other rows run. Besides the minimal window, the same window showing
// one Japanese menu caption tells what drawing any Japanese text costs on this machine.
void benchStartup(const QString& dir) {
    const QString programs[] = {QStringLiteral("karvel_startup"),
                                QStringLiteral("karvel_minimal_window"),
                                QStringLiteral("karvel_minimal_japanese_window")};
    std::vector<double> times[3];
    for (int i = 0; i < std::max(kRuns, 31); ++i)
        for (int p = 0; p < 3; ++p)
            times[p].push_back(firstPaintMs((dir + QLatin1Char('/') + programs[p]).toStdString()));
    const double ours = median(times[0]);
    const double minimal = median(times[1]);
    const double japanese = median(times[2]);
    add({"start-up to the first painted window", QStringLiteral("-"), ours, japanese,
         "<= 1.5x a minimal Qt window with one Japanese caption", ours <= 1.5 * japanese, ""});
    add({"start-up, beside a minimal window without text", QStringLiteral("-"), ours, minimal,
         "(information)", true,
         QStringLiteral("the Japanese caption alone: %1x the plain window")
             .arg(japanese / minimal, 0, 'f', 2),
         true});
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    setUpApplication();
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: karvel_bench CORPUS_DIR [--skip-largest] [--runs N]\n");
        return 2;
    }
    const QDir corpus(args[1]);
    const bool skipLargest = args.contains(QStringLiteral("--skip-largest"));
    if (const qsizetype i = args.indexOf(QStringLiteral("--runs")); i > 0 && i + 1 < args.size())
        kRuns = std::max(5, args[i + 1].toInt());
    std::printf("  %-52s %-6s %10s %10s\n", "operation", "rows", "ours ms", "ref ms");
    QStringList sizes = {QStringLiteral("100k"), QStringLiteral("1M")};
    if (!skipLargest)
        sizes << QStringLiteral("10M");
    const QString utf8 = QStringLiteral("-utf8");
    const QStringList forms = {QString(), utf8, QStringLiteral("-eucjp"),
                               QStringLiteral("-utf16le")};
    for (const QString& s : sizes)
        for (const QString& form : forms)
            benchCorpus(corpus.filePath(s + form + QStringLiteral(".txt")), s + form,
                        s != QStringLiteral("10M"));
    for (const QString& form : forms)
        benchSelection(corpus.filePath(sizes.last() + form + QStringLiteral(".txt")),
                       sizes.last() + form);
    benchView(corpus.filePath(sizes.last() + QStringLiteral(".txt")), sizes.last());
    for (const QString& form : {QString(), utf8})
        benchProgress(corpus.filePath(sizes.last() + form + QStringLiteral(".txt")),
                      sizes.last() + form);
    benchPrint(corpus.filePath(QStringLiteral("100k.txt")));
    benchPrintProgress(corpus.filePath(QStringLiteral("100k.txt")));
    benchStartup(QCoreApplication::applicationDirPath());

    std::printf(
        "\n| operation | rows | ours (ms) | reference (ms) | ratio | goal | met | notes |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    bool all = true;
    for (const Row& r : table) {
        all = all && r.met;
        std::printf("| %s | %s | %.2f | %.2f | %.2f | %s | %s | %s |\n", qPrintable(r.op),
                    qPrintable(r.corpus), r.ours, r.reference,
                    r.reference > 0 ? r.ours / r.reference : 0.0, qPrintable(r.goal),
                    r.information ? "-"
                    : r.met       ? "yes"
                                  : "**no**",
                    qPrintable(r.note));
    }
    return all ? 0 : 1;
}
