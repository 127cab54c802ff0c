// The real printer writing PDF files: what each document holds, and the record of the open
// document that the preview draws, the same lines on the same sheets as the PDF.
#include "output/PrintPreview.h"
#include "printing/QtPrinter.h"
#include "support/PdfText.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QDir>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Compatibility forms (the extractor reports some CJK glyphs as radicals) folded back.
QString pdfText(const QString& pdf) {
    return pdfToText(pdf, {QStringLiteral("-layout")}).normalized(QString::NormalizationForm_KC);
}

class PdfPrinting : public ::testing::Test {
  protected:
    bool print(const QStringList& rows, double pageMode, double points = 10,
               const QString& family = QStringLiteral("DejaVu Sans")) {
        return printRows(printer, rows, pageMode, points, family);
    }
    TempDir out;
    QtPrinter printer{out.path()};
};

TEST_F(PdfPrinting, TwoPrintCommandsShareOneSheetUntilEjected) {
    ASSERT_TRUE(print({"first group", "日本語の行"}, 0));
    ASSERT_TRUE(print({"second group"}, 0));
    EXPECT_TRUE(printer.writtenFiles().isEmpty()); // nothing reaches the printer yet
    ASSERT_TRUE(printer.endDoc());
    ASSERT_EQ(printer.writtenFiles().size(), 1);
    const QString pdf = printer.writtenFiles()[0];
    EXPECT_TRUE(QFileInfo(pdf).fileName().startsWith(QStringLiteral("Karvel-")));
    EXPECT_EQ(pdfPages(pdf), 1);
    EXPECT_TRUE(pdfText(pdf).contains("second group"));
    EXPECT_TRUE(printer.endDoc()); // ejecting again: no sheet, no failure
    EXPECT_EQ(printer.writtenFiles().size(), 1);
    ASSERT_TRUE(print({"next document"}, 1)); // within the same second: a file of its own
    ASSERT_EQ(printer.writtenFiles().size(), 2);
    EXPECT_NE(printer.writtenFiles()[1], pdf);
    EXPECT_TRUE(pdfText(printer.writtenFiles()[1]).contains("next document"));
}

// A larger font near the bottom of a sheet starts a new one rather than drawing below the
// printable area.
TEST_F(PdfPrinting, ALargerFontNearTheBottomStartsANewPage) {
    QBuffer none;
    QPdfWriter device(&none); // measures as the printer does
    device.setResolution(1200);
    device.setPageLayout(printer.setupCopy()->pageLayout());
    const double height = device.pageLayout().paintRectPixels(device.resolution()).height();
    auto metrics = [&](double points) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPointSizeF(points);
        return QFontMetricsF(f, &device);
    };
    // Small lines until a large one no longer fits, though another small one would.
    double y = 0;
    QStringList small;
    while (y + metrics(40).height() <= height) {
        small << QStringLiteral("small %1").arg(small.size());
        y += metrics(10).lineSpacing();
    }
    ASSERT_LE(y + metrics(10).height(), height);
    ASSERT_TRUE(print(small, 0, 10));
    ASSERT_TRUE(print({"BIG"}, 1, 40));
    const QString pdf = printer.writtenFiles().value(0);
    ASSERT_EQ(pdfPages(pdf), 2);
    EXPECT_TRUE(pdfToText(pdf, {"-f", "2", "-l", "2"}).contains("BIG"));
}

// Every printed character is in the document's text layer, in the Japanese font the program
// prints with: digits beside Latin letters, kana, kanji, and a row wrapped onto three lines.
TEST_F(PdfPrinting, TheTextLayerHoldsEveryPrintedCharacter) {
    QString wrapped;
    for (int i = 0; wrapped.size() < 330; ++i)
        wrapped += QStringLiteral("ID%1=接続 ").arg(i * 37);
    const QStringList rows = {
        QStringLiteral("2026-12-01 09:00:01 INFO サーバーを起動しました (port=8080)"),
        QStringLiteral("a1b2c3 ＡＢＣ１２３ ｱｲｳ 表示ソフト"), wrapped};
    ASSERT_TRUE(print(rows, 1, 9, QStringLiteral("Noto Sans CJK JP")));
    auto squeezed = [](QString t) {
        return t.normalized(QString::NormalizationForm_KC).remove(QRegularExpression("\\s"));
    };
    const QString text = squeezed(pdfToText(printer.writtenFiles().value(0)));
    EXPECT_EQ(text, squeezed(rows.join(QString()))) << text.toStdString();
    EXPECT_GE(pdfText(printer.writtenFiles().value(0)).count(QLatin1Char('\n')), 5);
}

// A new account has no documents folder: it is made, and the PDF goes there.
TEST(PdfPrinter, TheDocumentsFolderIsMadeWhereThereIsNone) {
    TempDir home;
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    {
        QtPrinter printer; // no printer is installed where the tests run
        if (printer.setupCopy()->outputFormat() != QPrinter::PdfFormat)
            GTEST_SKIP() << "a default printer is installed";
        ASSERT_TRUE(printer.print(QStringLiteral("x")));
        ASSERT_TRUE(printer.endDoc());
        ASSERT_EQ(printer.writtenFiles().size(), 1);
        EXPECT_EQ(QFileInfo(printer.writtenFiles()[0]).absolutePath(),
                  home.path() + QStringLiteral("/Documents"));
        EXPECT_TRUE(QFileInfo::exists(printer.writtenFiles()[0]));
    }
    qputenv("HOME", oldHome);
    if (!oldConfig.isEmpty())
        qputenv("XDG_CONFIG_HOME", oldConfig);
}

// Wrapping, page breaks and a font change between commands: each sheet of the record holds, in
// order, exactly the lines that sheet of the PDF holds.
TEST_F(PdfPrinting, HoldsTheLinesOfEachSheetOfThePdf) {
    QStringList rows{QString(300, QLatin1Char('w'))};
    for (int i = 0; i < 90; ++i)
        rows << QStringLiteral("row %1").arg(i);
    ASSERT_TRUE(print(rows, 0));
    ASSERT_TRUE(print({QStringLiteral("larger font")}, 0, 16, QStringLiteral("DejaVu Serif")));
    const OpenSheets open = printer.openSheets();
    ASSERT_GE(open.sheets, 2);
    EXPECT_EQ(open.lines.last().family, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(open.lines.last().points, 16);
    QList<QList<DrawnLine>> bySheet;
    for (int sheet = 0; sheet < open.sheets; ++sheet)
        bySheet << printer.openSheets(sheet).lines;
    EXPECT_EQ(bySheet.front().front().x, 100); // the left margin
    ASSERT_TRUE(printer.endDoc());
    const QString pdf = printer.writtenFiles().value(0);
    const QString fonts = runTool(QStringLiteral("pdffonts"), {pdf});
    EXPECT_TRUE(fonts.contains("DejaVuSans") && fonts.contains("DejaVuSerif")) << qPrintable(fonts);
    for (int sheet = 0; sheet < open.sheets; ++sheet) {
        const QString text = pdfToText(
            pdf, {"-f", QString::number(sheet + 1), "-l", QString::number(sheet + 1), "-layout"});
        qsizetype from = 0;
        double lastY = -1;
        for (const DrawnLine& line : bySheet[sheet]) {
            EXPECT_EQ(line.sheet, sheet);
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
TEST_F(PdfPrinting, TheLinesThatStillFitFillTheSheetExactly) {
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
        const auto setup = p.setupCopy();
        setup->setPageSize(QPageSize(c.paper));
        setup->setPageOrientation(c.orientation);
        p.applySetup(*setup);
        auto printLines = [&](int n) {
            return printRows(p, QStringList(n, QStringLiteral("x")), 0, c.points);
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

// The preview opens at the open sheet, turns the sheets with the page keys and tells how many
// lines are on the open sheet and how many more fit.
TEST_F(PdfPrinting, ThePreviewTurnsTheSheetsAndTellsWhatStillFits) {
    QWidget owner;
    auto* preview = new PrintPreview(printer, &owner);
    preview->show();
    QStringList many;
    for (int i = 0; i < 150; ++i)
        many << QStringLiteral("row %1").arg(i);
    ASSERT_TRUE(print(many, 0));
    preview->refresh();
    const OpenSheets open = printer.openSheets();
    ASSERT_GE(open.sheets, 2);
    EXPECT_EQ(preview->sheet(), open.sheets - 1);
    EXPECT_EQ(preview->summary(), QStringLiteral("%1 行印字済み・あと約 %2 行")
                                      .arg(open.linesOnLastSheet)
                                      .arg(open.linesThatStillFit));
    // The keys reach it where a click leaves the focus: in the sheet's scroll area.
    auto* sheetArea = preview->findChild<QScrollArea*>();
    QTest::keyClick(sheetArea, Qt::Key_PageUp);
    EXPECT_EQ(preview->sheet(), open.sheets - 2);
    QTest::keyClick(sheetArea, Qt::Key_PageDown);
    EXPECT_EQ(preview->sheet(), open.sheets - 1);
    ASSERT_TRUE(printer.endDoc());
    preview->refresh();
    EXPECT_EQ(preview->sheet(), 0);
    QPointer<PrintPreview> watched(preview);
    QTest::keyClick(preview, Qt::Key_Escape);
    EXPECT_TRUE(watched.isNull() || !watched->isVisible());
}

} // namespace
