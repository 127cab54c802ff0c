#include "PrintJob.h"

#include <QFile>
#include <QPrintEngine>
#include <QPrinter>
#include <algorithm>
#include <cups/cups.h>
#include <memory>

namespace {

// The job options the print dialog keeps for CUPS (pages per sheet and the like), as
// name/value pairs, under the print engine's key for them.
constexpr auto kCupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// CUPS objects, each released by its own function however the job's path ends.
struct CloseConnection {
    void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, CloseConnection>;

struct FreeDest {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
using Dest = std::unique_ptr<cups_dest_t, FreeDest>;

// A job's options: name/value pairs that CUPS keeps in an array it grows.
class JobOptions {
  public:
    JobOptions() = default;
    JobOptions(const JobOptions&) = delete;
    JobOptions& operator=(const JobOptions&) = delete;
    ~JobOptions() { cupsFreeOptions(count_, options_); }
    void add(const char* name, const char* value) {
        count_ = cupsAddOption(name, value, count_, &options_);
    }
    int count() const { return count_; }
    cups_option_t* options() const { return options_; }

  private:
    int count_ = 0;
    cups_option_t* options_ = nullptr;
};

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
                       const QString& title, const QStringList& jobOptions) {
    if (const Dest dest(cupsGetNamedDest(http, printerName.toUtf8().constData(), nullptr)); !dest) {
        const ipp_status_t status = cupsLastError();
        return {false,
                status <= IPP_STATUS_OK_EVENTS_COMPLETE || status == IPP_STATUS_ERROR_NOT_FOUND
                    ? reasonOf(IPP_STATUS_ERROR_NOT_FOUND)
                    : reasonOf(status)};
    }
    JobOptions options;
    for (qsizetype i = 0; i + 1 < jobOptions.size(); i += 2)
        options.add(jobOptions[i].toUtf8().constData(), jobOptions[i + 1].toUtf8().constData());
    const int job =
        cupsPrintFile2(http, printerName.toUtf8().constData(), QFile::encodeName(pdf).constData(),
                       title.toUtf8().constData(), options.count(), options.options());
    if (job > 0)
        return {true, QString()};
    return {false, reasonOf(cupsLastError())};
}

} // namespace

QStringList jobOptionsOf(const QPrinter& setup) {
    QStringList options{QStringLiteral("copies"), QString::number(setup.copyCount())};
    const char* sides = setup.duplex() == QPrinter::DuplexLongSide    ? "two-sided-long-edge"
                        : setup.duplex() == QPrinter::DuplexShortSide ? "two-sided-short-edge"
                                                                      : "one-sided";
    options << QStringLiteral("sides") << QLatin1String(sides);
    if (QPrintEngine* engine = const_cast<QPrinter&>(setup).printEngine())
        options << engine->property(kCupsOptionsKey).toStringList();
    return options;
}

PrintJobResult sendPdfToPrinter(const QString& printerName, const QString& pdf,
                                const QString& title, const QStringList& jobOptions) {
    // A print system that cannot be reached is told apart from a printer that is gone.
    const Connection http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC,
                                       cupsEncryption(), 1, 10000, nullptr));
    if (!http)
        return {false, reasonOf(IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)};
    return sendPdf(http.get(), printerName, pdf, title, jobOptions);
}

bool isCompletePdf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 8)
        return false;
    f.seek(std::max<qint64>(0, f.size() - 1024));
    return f.readAll().contains("%%EOF");
}
