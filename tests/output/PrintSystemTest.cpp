// The real printer against a real CUPS daemon the tests start privately: what reaches the queue,
// and, whenever a document cannot be handed over, a message and a PDF with every printed line.
#include "printing/PrintJob.h"
#include "printing/QtPrinter.h"
#include "support/PdfText.h"
#include "support/PrivateCups.h"
#include "support/SmallDisk.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class PrintSystem : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { cups = new PrivateCups; }
    static void TearDownTestSuite() {
        delete cups;
        cups = nullptr;
    }
    void SetUp() override {
        if (!cups->available())
            GTEST_SKIP() << "a private CUPS daemon needs cupsd and root";
        ASSERT_TRUE(cups->start());
        ASSERT_TRUE(cups->addQueue(QStringLiteral("virtual")));
        cups->command(QStringLiteral("lpadmin"), {QStringLiteral("-d"), QStringLiteral("virtual")});
        cups->command(QStringLiteral("cupsaccept"), {QStringLiteral("virtual")});
        jobsBefore = cups->jobs().size();
        oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        printer = std::make_unique<QtPrinter>();
    }
    void TearDown() override {
        printer.reset();
        if (!oldHome.isEmpty())
            qputenv("HOME", oldHome);
    }
    bool print(const QStringList& texts, double pageMode) {
        return printRows(*printer, texts, pageMode);
    }
    // What the person does in printer setup, then OK.
    void setUp(const std::function<void(QPrinter&)>& change) {
        const auto setup = printer->setupCopy();
        change(*setup);
        printer->applySetup(*setup);
    }
    QList<PrivateCups::Job> newJobs() const { return cups->jobs().mid(jobsBefore); }
    QStringList keptPdfs() const {
        QDir documents(home.path() + QStringLiteral("/Documents"));
        QStringList out;
        for (const QString& f : documents.entryList({QStringLiteral("*.pdf")}, QDir::Files))
            out << documents.filePath(f);
        return out;
    }
    // A failed hand-over: one message naming the printer and the file, which holds every line.
    void expectKeptWithMessage(const QString& printerName, const QStringList& lines,
                               const QString& why) {
        EXPECT_TRUE(printer->errorText().contains(printerName))
            << printer->errorText().toStdString();
        EXPECT_TRUE(printer->errorText().contains(why)) << printer->errorText().toStdString();
        const QStringList kept = keptPdfs();
        ASSERT_EQ(kept.size(), 1);
        EXPECT_TRUE(printer->errorText().contains(kept[0])) << printer->errorText().toStdString();
        const QString text = pdfToText(kept[0]);
        for (const QString& line : lines)
            EXPECT_TRUE(text.contains(line)) << line.toStdString();
        EXPECT_TRUE(newJobs().isEmpty());
    }

    static PrivateCups* cups;
    TempDir home;
    QByteArray oldHome;
    qsizetype jobsBefore = 0;
    std::unique_ptr<QtPrinter> printer;
};
PrivateCups* PrintSystem::cups = nullptr;

TEST_F(PrintSystem, LinesPileUpOnOneSheetAndGoAsOneJob) {
    ASSERT_TRUE(print({"first group"}, 0));
    ASSERT_TRUE(print({"second group"}, 0));
    EXPECT_TRUE(newJobs().isEmpty()); // nothing reaches the printer before the eject
    ASSERT_TRUE(printer->endDoc()) << printer->errorText().toStdString();
    const auto jobs = newJobs();
    ASSERT_EQ(jobs.size(), 1);
    EXPECT_EQ(jobs[0].queue, QStringLiteral("virtual"));
    const QString text = pdfToText(jobs[0].document);
    EXPECT_TRUE(text.indexOf("first group") >= 0 &&
                text.indexOf("first group") < text.indexOf("second group"));
    EXPECT_TRUE(keptPdfs().isEmpty());
}

TEST_F(PrintSystem, ARejectingQueueKeepsThePagesAndSaysSo) {
    cups->command(QStringLiteral("cupsreject"), {QStringLiteral("virtual")});
    ASSERT_TRUE(print({"kept line"}, 0));
    EXPECT_FALSE(printer->endDoc());
    expectKeptWithMessage(QStringLiteral("virtual"), {"kept line"},
                          QStringLiteral("受け付けていません"));
}

TEST_F(PrintSystem, ADaemonThatDiesWhileAPageIsOpenLosesNoLine) {
    ASSERT_TRUE(print({"before the stop"}, 0));
    cups->stop();
    ASSERT_TRUE(print({"after the stop"}, 0));
    EXPECT_FALSE(printer->endDoc());
    expectKeptWithMessage(QStringLiteral("virtual"), {"before the stop", "after the stop"},
                          QStringLiteral("接続できません"));
}

TEST_F(PrintSystem, ADaemonDownWhenPrintingStartsIsToldNotHidden) {
    // The printer the print system named at start, while it ran.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !printer->knownDefaultPrinter().isEmpty(); }));
    ASSERT_EQ(printer->knownDefaultPrinter(), QStringLiteral("virtual"));
    cups->stop();
    ASSERT_TRUE(print({"no daemon"}, 0)) << printer->errorText().toStdString();
    EXPECT_FALSE(printer->endDoc());
    expectKeptWithMessage(QStringLiteral("virtual"), {"no daemon"},
                          QStringLiteral("接続できません"));
}

TEST_F(PrintSystem, AChosenPrinterThatWasDeletedIsNamedAndNotReplaced) {
    ASSERT_TRUE(cups->addQueue(QStringLiteral("office")));
    setUp([](QPrinter& p) { p.setPrinterName(QStringLiteral("office")); });
    ASSERT_TRUE(print({"for the office"}, 0));
    cups->command(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("office")});
    EXPECT_FALSE(printer->endDoc());
    expectKeptWithMessage(QStringLiteral("office"), {"for the office"},
                          QStringLiteral("見つかりません"));
}

TEST_F(PrintSystem, EachDocumentGoesToTheDefaultPrinterOfItsTime) {
    ASSERT_TRUE(cups->addQueue(QStringLiteral("second")));
    ASSERT_TRUE(print({"to virtual"}, 1));
    cups->command(QStringLiteral("lpadmin"), {QStringLiteral("-d"), QStringLiteral("second")});
    ASSERT_TRUE(print({"to second"}, 1));
    const auto jobs = newJobs();
    ASSERT_EQ(jobs.size(), 2);
    EXPECT_EQ(jobs[0].queue, QStringLiteral("virtual"));
    EXPECT_EQ(jobs[1].queue, QStringLiteral("second"));
    EXPECT_TRUE(pdfToText(jobs[1].document).contains("to second"));
    cups->command(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("second")});
}

// A file chosen in setup never overwrites an earlier document.
TEST_F(PrintSystem, AFileChosenInSetupGetsANewNameForEachDocument) {
    setUp([&](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(home.file(QStringLiteral("out.pdf")));
    });
    ASSERT_TRUE(print({"first document"}, 1));
    ASSERT_TRUE(print({"second document"}, 1));
    EXPECT_EQ(printer->writtenFiles(), (QStringList{home.file(QStringLiteral("out.pdf")),
                                                    home.file(QStringLiteral("out-2.pdf"))}));
    EXPECT_TRUE(pdfToText(home.file(QStringLiteral("out.pdf"))).contains("first document"));
    EXPECT_TRUE(newJobs().isEmpty());
}

// A daemon that stops answering while the page is ejected never holds the caller: the wait goes
// on with the work's progress (so the window keeps painting), Cancel or the time limit keeps the
// page as a PDF, and the message says why; printer setup is not opened on it.
TEST_F(PrintSystem, AServerThatDoesNotAnswerIsWaitedForWithProgressAndTold) {
    struct Case {
        int goOnFor;
        const char* why;
    };
    for (const Case c : {Case{10, "取り消しました"}, Case{-1, "応答しません"}}) {
        ASSERT_TRUE(print({"while paused"}, 0));
        cups->pause();
        CancellingProgress progress(c.goOnFor);
        {
            const PrinterProgress waiting(*printer, &progress);
            EXPECT_FALSE(printer->endDoc());
        }
        cups->resume();
        EXPECT_GT(progress.calls, 5);
        const QString message = printer->errorText();
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.why))) << message.toStdString();
        ASSERT_FALSE(printer->writtenFiles().isEmpty());
        const QString kept = printer->writtenFiles().last();
        EXPECT_TRUE(message.contains(kept)) << message.toStdString();
        EXPECT_TRUE(pdfToText(kept).contains("while paused"));
    }
    // Printer setup, which asks the print system itself, is not opened on one that does not
    // answer.
    cups->pause();
    CancellingProgress progress(10);
    {
        const PrinterProgress waiting(*printer, &progress);
        EXPECT_EQ(printer->setupCopy(), nullptr);
    }
    cups->resume();
    EXPECT_TRUE(printer->errorText().contains(QStringLiteral("取り消しました")));
}

// The page arrives as the preview shows it: an A5 landscape page through a PDF queue's filters
// comes out A5 landscape, not on the queue's default paper.
TEST_F(PrintSystem, AnA5LandscapePageArrivesAsA5Landscape) {
    TempDir spool;
    const QString out = spool.file(QStringLiteral("printed.pdf"));
    if (!cups->addPdfQueue(QStringLiteral("pdfq"), out))
        GTEST_SKIP() << "the print filters are not installed";
    setUp([](QPrinter& p) {
        p.setPrinterName(QStringLiteral("pdfq"));
        p.setPageSize(QPageSize(QPageSize::A5));
        p.setPageOrientation(QPageLayout::Landscape);
    });
    ASSERT_TRUE(print({"landscape"}, 1)) << printer->errorText().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return isCompletePdf(out); }, 30000))
        << cups->command(QStringLiteral("lpstat"),
                         {QStringLiteral("-l"), QStringLiteral("-W"), QStringLiteral("all"),
                          QStringLiteral("-o"), QStringLiteral("pdfq")})
               .toStdString();
    const QString info = runTool(QStringLiteral("pdfinfo"), {out});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595 x 420"))))
        << info.toStdString();
    cups->command(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("pdfq")});
}

// Where the person chose nothing, the user's default (an instance with options of its own) and
// the queue's defaults apply: nothing is forced over them.
TEST_F(PrintSystem, TheUsersDefaultInstanceAndTheQueuesDefaultsApply) {
    QDir().mkpath(home.file(QStringLiteral(".cups")));
    home.write(QStringLiteral(".cups/lpoptions"), "Default virtual/two copies=2\n");
    printer = std::make_unique<QtPrinter>();
    ASSERT_TRUE(print({"to an instance"}, 1)) << printer->errorText().toStdString();
    const auto jobs = newJobs();
    ASSERT_EQ(jobs.size(), 1);
    EXPECT_EQ(jobs[0].queue, QStringLiteral("virtual"));
    EXPECT_EQ(cups->jobAttribute(jobs[0].id, "copies"), QStringLiteral("2"));
    EXPECT_EQ(cups->jobAttribute(jobs[0].id, "sides"), QString());
    EXPECT_TRUE(cups->jobAttribute(jobs[0].id, "media").startsWith(QStringLiteral("iso_a4")) ||
                cups->jobAttribute(jobs[0].id, "media").startsWith(QStringLiteral("na_letter")));
}

// A PDF that cannot be written where it should go (a folder that is not there, a full disk) goes
// to the home folder: the message names that file, which holds every line, and no part of a
// document is left behind.
TEST(PdfFallback, APdfThatCannotGoWhereItShouldIsKeptInTheHomeFolder) {
    SmallDisk disk(32);
    TempDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    QStringList lines;
    for (int i = 0; i < 3000; ++i)
        lines << QStringLiteral("line %1 of a long printout").arg(i);
    for (const QString& dir :
         {QStringLiteral("/nonexistent/dir"), disk.mounted() ? disk.file(QString()) : QString()}) {
        if (dir.isEmpty())
            continue; // mounting a small disk needs root
        QtPrinter printer(dir);
        ASSERT_TRUE(printRows(printer, lines, 0)) << printer.errorText().toStdString();
        EXPECT_FALSE(printer.endDoc());
        ASSERT_EQ(printer.writtenFiles().size(), 1);
        const QString kept = printer.writtenFiles()[0];
        EXPECT_EQ(QFileInfo(kept).absolutePath(), home.path());
        EXPECT_TRUE(printer.errorText().contains(kept)) << printer.errorText().toStdString();
        EXPECT_TRUE(pdfToText(kept).contains(lines.last()));
        EXPECT_TRUE(QDir(dir).entryList({QStringLiteral("*.pdf")}).isEmpty());
        QFile::remove(kept);
    }
    qputenv("HOME", oldHome);
}

} // namespace
