// Printer setup is a dialog like any other: it works on a copy of the setup, Cancel changes
// nothing, OK takes what was changed, and what it offers is applied to the next documents, to a
// PDF file as well as to a printer.
#include "app/frmMain.h"
#include "printing/QtPrinter.h"
#include "support/FakeDesktop.h"
#include "support/PdfText.h"
#include "support/TempDir.h"

#include <QAction>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class PrinterSetup : public ::testing::Test {
  protected:
    // The setup dialog, answered by the person's changes and OK or Cancel.
    void setUp(const std::function<void(QPrinter&)>& change, bool ok) {
        desktop.setupAnswer = [=](QPrinter& p) {
            change(p);
            return ok;
        };
        w.findChild<QAction*>(QStringLiteral("mnuPrnSet"))->trigger();
    }
    // A document of rows "row 0", "row 1", ... ejected at once; its PDF's pages, as text.
    QStringList printedPages(int rows) {
        QStringList texts;
        for (int i = 0; i < rows; ++i)
            texts << QStringLiteral("row %1").arg(i);
        EXPECT_TRUE(printRows(printer, texts, 1)) << printer.errorText().toStdString();
        const QString pdf = printer.writtenFiles().value(printer.writtenFiles().size() - 1);
        QStringList pages = pdfToText(pdf).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        for (QString& page : pages)
            page = page.simplified().section(QLatin1Char(' '), 0, 1); // its first row
        return pages;
    }
    QPageLayout inEffect() { return printer.setupCopy()->pageLayout(); }

    TempDir dir;
    FakeDesktop desktop;
    QtPrinter printer{dir.path()};
    frmMain w{dir.path(), desktop, printer};
};

TEST_F(PrinterSetup, CancelChangesNothingAndOkTakesOnlyWhatWasChanged) {
    const QPageLayout before = inEffect();
    const auto a5Landscape = [](QPrinter& p) {
        p.setPageSize(QPageSize(QPageSize::A5));
        p.setPageOrientation(QPageLayout::Landscape);
        p.setCopyCount(3);
    };
    setUp(a5Landscape, false);
    EXPECT_TRUE(inEffect().isEquivalentTo(before));
    EXPECT_EQ(printer.setupCopy()->copyCount(), 1);

    setUp(a5Landscape, true);
    EXPECT_EQ(inEffect().pageSize().id(), QPageSize::A5);
    EXPECT_EQ(inEffect().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer.setupCopy()->copyCount(), 3);
}

// Copies, the order of pages and a page range reach a PDF file: the range for the next
// document only.
TEST_F(PrinterSetup, CopiesOrderAndPagesAreAppliedToAPdfFile) {
    setUp(
        [](QPrinter& p) {
            p.setCopyCount(2);
            p.setCollateCopies(true);
            p.setPageOrder(QPrinter::LastPageFirst);
        },
        true);
    const QStringList both = printedPages(150);
    ASSERT_EQ(both.size(), 6) << both.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(both[0], both[3]);
    EXPECT_EQ(both[2], QStringLiteral("row 0"));
    setUp(
        [](QPrinter& p) {
            p.setPrintRange(QPrinter::PageRange);
            p.setFromTo(2, 2);
        },
        true);
    EXPECT_EQ(printedPages(150), QStringList(2, both[1]));
    EXPECT_EQ(printedPages(150).size(), 6);
}

// The PDF name the dialog fills in by itself, left as it is, is no choice: documents keep their
// dated names in the documents folder.
TEST(PrinterSetupWithoutAPrinter, TheDialogsOwnFileNameIsNoChoice) {
    TempDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    {
        QtPrinter printer;
        const auto setup = printer.setupCopy();
        if (setup->outputFormat() != QPrinter::PdfFormat)
            GTEST_SKIP() << "a printer is installed";
        setup->setOutputFileName(home.file(QStringLiteral("Karvel.pdf")));
        printer.applySetup(*setup);
        ASSERT_TRUE(printRows(printer, {QStringLiteral("dated")}, 1));
        EXPECT_EQ(QFileInfo(printer.writtenFiles().value(0)).absolutePath(),
                  home.file(QStringLiteral("Documents")));
    }
    qputenv("HOME", oldHome);
}

} // namespace
