// The real printer against a real CUPS daemon the tests start privately: what reaches the queue,
// and, whenever a document cannot be handed over, a message and a PDF with every printed line.
#include "printing/QtPrinter.h"
#include "support/PdfText.h"
#include "support/PrivateCups.h"
#include "support/SmallDisk.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
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
