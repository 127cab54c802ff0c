// The record of what the printer drew on the open document, and the preview drawn from it: the
// same lines on the same sheets as the PDF the same commands produce.
#include "output/PrintPreview.h"
#include "output/PrintRows.h"
#include "printing/QtPrinter.h"
#include "support/PdfText.h"
#include "support/TempDir.h"

#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString pageText(const QString& pdf, int page) {
    return pdfToText(pdf, {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                           QString::number(page), QStringLiteral("-layout")});
}

class Record : public ::testing::Test {
  protected:
    bool print(const QStringList& rows, double pageMode, double points = 10,
               const QString& family = QStringLiteral("DejaVu Sans")) {
        return runPrintCommand(printer, family, points, pageMode, [&] {
            for (const QString& r : rows)
                if (!printRow(printer, r, PrintMargins{}))
                    return false;
            return true;
        });
    }
    TempDir out;
    QtPrinter printer{out.path()};
};

// Wrapping, page breaks and a font change between commands: each sheet of the record holds, in
// order, exactly the lines that sheet of the PDF holds.
TEST_F(Record, HoldsTheLinesOfEachSheetOfThePdf) {
    QStringList rows{QString(300, QLatin1Char('w'))};
    for (int i = 0; i < 90; ++i)
        rows << QStringLiteral("row %1").arg(i);
    ASSERT_TRUE(print(rows, 0));
    ASSERT_TRUE(print({QStringLiteral("larger font")}, 0, 16, QStringLiteral("DejaVu Serif")));
    const OpenSheets open = printer.openSheets();
    ASSERT_GE(open.sheets, 2);
    EXPECT_EQ(open.lines.last().family, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(open.lines.last().points, 16);
    EXPECT_EQ(open.lines.front().x, 100); // the left margin
    ASSERT_TRUE(printer.endDoc());
    const QString pdf = printer.writtenFiles().value(0);
    for (int sheet = 0; sheet < open.sheets; ++sheet) {
        const QString text = pageText(pdf, sheet + 1);
        qsizetype from = 0;
        double lastY = -1;
        for (const DrawnLine& line : open.lines) {
            if (line.sheet != sheet)
                continue;
            EXPECT_GT(line.y, lastY); // downwards on the sheet
            lastY = line.y;
            const qsizetype at = text.indexOf(line.text, from);
            EXPECT_GE(at, 0) << "sheet " << sheet << ": " << line.text.toStdString();
            from = at < 0 ? from : at + line.text.size();
        }
    }
    EXPECT_TRUE(printer.openSheets().lines.isEmpty()); // ejected: an empty sheet
    EXPECT_EQ(printer.openSheets().sheets, 1);
}

// "Roughly how many more fit" is exact for the current font: that many more lines stay on the
// sheet, one more starts the next, on every paper and at every size.
TEST_F(Record, TheLinesThatStillFitFillTheSheetExactly) {
    struct Case {
        QPageSize::PageSizeId paper;
        QPageLayout::Orientation orientation;
        double points;
    } cases[] = {{QPageSize::A4, QPageLayout::Portrait, 9},
                 {QPageSize::A4, QPageLayout::Portrait, 20},
                 {QPageSize::A5, QPageLayout::Landscape, 12}};
    for (const Case& c : cases) {
        TempDir dir;
        QtPrinter p(dir.path());
        p.setupPrinter()->setPageSize(QPageSize(c.paper));
        p.setupPrinter()->setPageOrientation(c.orientation);
        auto printLines = [&](int n) {
            return runPrintCommand(p, QStringLiteral("DejaVu Sans"), c.points, 0, [&] {
                for (int i = 0; i < n; ++i)
                    if (!printRow(p, QStringLiteral("x"), PrintMargins{}))
                        return false;
                return true;
            });
        };
        ASSERT_TRUE(printLines(3));
        const int more = p.openSheets().linesThatStillFit;
        ASSERT_GT(more, 0) << c.points;
        EXPECT_EQ(p.openSheets().paper.width() > p.openSheets().paper.height(),
                  c.orientation == QPageLayout::Landscape);
        ASSERT_TRUE(printLines(more));
        EXPECT_EQ(p.openSheets().sheets, 1) << c.points;
        EXPECT_EQ(p.openSheets().linesThatStillFit, 0) << c.points;
        ASSERT_TRUE(printLines(1));
        EXPECT_EQ(p.openSheets().sheets, 2) << c.points;
        EXPECT_EQ(p.openSheets().linesOnLastSheet, 1) << c.points;
    }
}

// The window follows each print command and eject while it is open.
TEST_F(Record, ThePreviewWindowFollowsPrintAndEject) {
    QWidget owner;
    auto* preview = new PrintPreview(printer, &owner);
    preview->show();
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("印刷プレビュー"));
    EXPECT_TRUE(preview->summary().startsWith(QStringLiteral("0 行印字済み")));
    ASSERT_TRUE(print({QStringLiteral("first group")}, 0));
    ASSERT_TRUE(print({QStringLiteral("second group")}, 0));
    preview->refresh();
    EXPECT_TRUE(preview->summary().startsWith(QStringLiteral("2 行印字済み・あと約 ")));
    EXPECT_FALSE(preview->findChild<QPushButton*>(QStringLiteral("cmdNextSheet"))->isVisible());
    QStringList many;
    for (int i = 0; i < 150; ++i)
        many << QStringLiteral("row %1").arg(i);
    ASSERT_TRUE(print(many, 0));
    preview->refresh();
    EXPECT_GE(preview->sheet(), 1); // the open sheet is shown
    EXPECT_TRUE(preview->findChild<QPushButton*>(QStringLiteral("cmdPreviousSheet"))->isVisible());
    QTest::keyClick(preview, Qt::Key_PageUp);
    EXPECT_EQ(preview->sheet(), printer.openSheets().sheets - 2);
    QTest::keyClick(preview, Qt::Key_PageDown);
    EXPECT_EQ(preview->sheet(), printer.openSheets().sheets - 1);
    ASSERT_TRUE(printer.endDoc());
    preview->refresh();
    EXPECT_TRUE(preview->summary().startsWith(QStringLiteral("0 行印字済み")));
    EXPECT_EQ(preview->sheet(), 0);
    QPointer<PrintPreview> watched(preview);
    QTest::keyClick(preview, Qt::Key_Escape);
    EXPECT_TRUE(watched.isNull() || !watched->isVisible());
}

} // namespace
