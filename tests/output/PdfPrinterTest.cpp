#include "document/LineStore.h"
#include "document/TextRead.h"
#include "output/PrintRows.h"
#include "printing/QtPrinter.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
// Compatibility forms (the extractor reports some CJK glyphs as radicals) folded back.
QString pdfText(const QString& pdf) {
    return run("pdftotext", {"-layout", pdf, "-"}).normalized(QString::NormalizationForm_KC);
}
int pdfPages(const QString& pdf) {
    const QString info = run("pdfinfo", {pdf});
    const qsizetype at = info.indexOf(QStringLiteral("Pages:"));
    return at < 0 ? -1 : info.mid(at + 6).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
}

class PdfPrinting : public ::testing::Test {
  protected:
    bool printRows(const QStringList& texts, double pageMode, double points = 10,
                   const QString& family = QStringLiteral("DejaVu Sans")) {
        return runPrintCommand(printer, family, points, pageMode, [&] {
            for (const QString& t : texts)
                if (!printRow(printer, t, PrintMargins{}))
                    return false;
            return true;
        });
    }
    TempDir out;
    QtPrinter printer{out.path()};
};

TEST_F(PdfPrinting, TwoPrintCommandsShareOneSheetUntilEjected) {
    ASSERT_TRUE(printRows({"first group", "日本語の行"}, 0));
    ASSERT_TRUE(printRows({"second group"}, 0));
    EXPECT_TRUE(printer.writtenFiles().isEmpty()); // nothing reaches the printer yet
    ASSERT_TRUE(printer.endDoc());
    ASSERT_EQ(printer.writtenFiles().size(), 1);
    const QString pdf = printer.writtenFiles()[0];
    EXPECT_TRUE(QFileInfo(pdf).fileName().startsWith(QStringLiteral("Karvel-")));
    EXPECT_EQ(pdfPages(pdf), 1);
    const QString text = pdfText(pdf);
    const qsizetype a = text.indexOf("first group"), b = text.indexOf("日本語の行"),
                    c = text.indexOf("second group");
    EXPECT_TRUE(a >= 0 && a < b && b < c) << text.toStdString();
    EXPECT_TRUE(printer.endDoc()); // ejecting again: no sheet, no failure
    EXPECT_EQ(printer.writtenFiles().size(), 1);
    ASSERT_TRUE(printRows({"next document"}, 1)); // within the same second: a file of its own
    ASSERT_EQ(printer.writtenFiles().size(), 2);
    EXPECT_NE(printer.writtenFiles()[1], pdf);
    EXPECT_TRUE(pdfText(printer.writtenFiles()[1]).contains("next document"));
}

TEST_F(PdfPrinting, AFontChangeBetweenCommandsShowsInTheDocument) {
    ASSERT_TRUE(printRows({"sans"}, 0, 10, QStringLiteral("DejaVu Sans")));
    ASSERT_TRUE(printRows({"serif"}, 1, 14, QStringLiteral("DejaVu Serif")));
    const QString fonts = run("pdffonts", {printer.writtenFiles().value(0)});
    EXPECT_TRUE(fonts.contains("DejaVuSans")) << fonts.toStdString();
    EXPECT_TRUE(fonts.contains("DejaVuSerif")) << fonts.toStdString();
}

// A larger font near the bottom of a sheet starts a new one rather than drawing below the
// printable area.
TEST_F(PdfPrinting, ALargerFontNearTheBottomStartsANewPage) {
    QPrinter* device = printer.setupPrinter();
    const double height = device->pageLayout().paintRectPixels(device->resolution()).height();
    auto metrics = [&](double points) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPointSizeF(points);
        return QFontMetricsF(f, device);
    };
    // Small lines until a large one no longer fits, though another small one would.
    double y = 0;
    QStringList small;
    while (y + metrics(40).height() <= height) {
        small << QStringLiteral("small %1").arg(small.size());
        y += metrics(10).lineSpacing();
    }
    ASSERT_LE(y + metrics(10).height(), height);
    ASSERT_TRUE(printRows(small, 0, 10));
    ASSERT_TRUE(printRows({"BIG"}, 1, 40));
    const QString pdf = printer.writtenFiles().value(0);
    ASSERT_EQ(pdfPages(pdf), 2);
    EXPECT_TRUE(run("pdftotext", {"-f", "2", "-l", "2", pdf, "-"}).contains("BIG"));
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
    ASSERT_TRUE(printRows(rows, 1, 9, QStringLiteral("Noto Sans CJK JP")));
    auto squeezed = [](QString t) {
        return t.normalized(QString::NormalizationForm_KC).remove(QRegularExpression("\\s"));
    };
    const QString text = squeezed(run("pdftotext", {printer.writtenFiles().value(0), "-"}));
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
        if (printer.setupPrinter()->outputFormat() != QPrinter::PdfFormat)
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

TEST(PdfPrinter, AnUnwritableOutputIsAFailureWithAMessage) {
    QtPrinter printer(QStringLiteral("/nonexistent/dir"));
    EXPECT_FALSE(printer.print(QStringLiteral("x")));
    EXPECT_TRUE(printer.errorText().contains(QStringLiteral("/nonexistent/dir")));
    EXPECT_TRUE(printer.endDoc());
}

} // namespace
