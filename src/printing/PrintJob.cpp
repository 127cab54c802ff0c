#include "PrintJob.h"

#include <QFile>
#include <QPrintEngine>
#include <QPrinter>
#include <cups/cups.h>
#include <vector>

namespace {

// The job options the print dialog keeps for CUPS (pages per sheet and the like), as
// name/value pairs, under the print engine's key for them.
constexpr auto kCupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

QString reasonOf(ipp_status_t status) {
    switch (status) {
    case IPP_STATUS_ERROR_NOT_FOUND:
        return QStringLiteral("プリンタが見つかりません。削除された可能性があります");
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return QStringLiteral("プリンタが印刷ジョブを受け付けていません");
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
        return QStringLiteral("印刷システム (CUPS) に接続できません");
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
        return QStringLiteral("このプリンタに印刷する権限がありません");
    default:
        return QStringLiteral("印刷システムのエラー: %1")
            .arg(QString::fromUtf8(cupsLastErrorString()));
    }
}

PrintJobResult sendPdf(http_t* http, const QString& printerName, const QString& pdf,
                       const QString& title, const QPrinter& setup) {
    cups_dest_t* dest = cupsGetNamedDest(http, printerName.toUtf8().constData(), nullptr);
    if (!dest) {
        const ipp_status_t status = cupsLastError();
        return {false,
                status <= IPP_STATUS_OK_EVENTS_COMPLETE || status == IPP_STATUS_ERROR_NOT_FOUND
                    ? reasonOf(IPP_STATUS_ERROR_NOT_FOUND)
                    : reasonOf(status)};
    }
    cupsFreeDests(1, dest);
    cups_option_t* options = nullptr;
    int count = 0;
    count =
        cupsAddOption("copies", QByteArray::number(setup.copyCount()).constData(), count, &options);
    const char* sides = setup.duplex() == QPrinter::DuplexLongSide    ? "two-sided-long-edge"
                        : setup.duplex() == QPrinter::DuplexShortSide ? "two-sided-short-edge"
                                                                      : "one-sided";
    count = cupsAddOption("sides", sides, count, &options);
    if (QPrintEngine* engine = const_cast<QPrinter&>(setup).printEngine()) {
        const QStringList pairs = engine->property(kCupsOptionsKey).toStringList();
        for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
            count = cupsAddOption(pairs[i].toUtf8().constData(), pairs[i + 1].toUtf8().constData(),
                                  count, &options);
    }
    const int job =
        cupsPrintFile2(http, printerName.toUtf8().constData(), QFile::encodeName(pdf).constData(),
                       title.toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    if (job > 0)
        return {true, QString()};
    return {false, reasonOf(cupsLastError())};
}

} // namespace

PrintJobResult sendPdfToPrinter(const QString& printerName, const QString& pdf,
                                const QString& title, const QPrinter& setup) {
    // A print system that cannot be reached is told apart from a printer that is gone.
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                10000, nullptr);
    if (!http)
        return {false, reasonOf(IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)};
    const PrintJobResult result = sendPdf(http, printerName, pdf, title, setup);
    httpClose(http);
    return result;
}

bool isCompletePdf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 8)
        return false;
    f.seek(std::max<qint64>(0, f.size() - 1024));
    return f.readAll().contains("%%EOF");
}
