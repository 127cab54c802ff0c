#include "PrintJob.h"

#include <QFile>
#include <QFileInfo>
#include <QSizeF>
#include <algorithm>
#include <cups/cups.h>
#include <cups/pwg.h>
#include <memory>

namespace {

// How long the print system may take to accept a connection and to answer a request.
constexpr int kConnectMs = 3000;
constexpr double kAnswerSeconds = 5.0;

// CUPS objects, each released by its own function however the job's path ends.
struct CloseConnection {
    void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, CloseConnection>;

struct FreeDest {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
using Dest = std::unique_ptr<cups_dest_t, FreeDest>;

struct FreeDestInfo {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};

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

// A connection to the print system whose requests give up when it does not answer in time.
struct Server {
    Connection http;
    bool timedOut = false;
    bool present = true; // false: no print system on this machine

    Server() {
        const char* server = cupsServer();
        http.reset(httpConnect2(server, ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                kConnectMs, nullptr));
        if (http) {
            httpSetTimeout(http.get(), kAnswerSeconds, &Server::giveUp, this);
            return;
        }
        // The usual local server, not named by the user, with no socket: no print system runs
        // on this machine (rather than one that is down).
        const QString name = QString::fromUtf8(server ? server : "");
        present = !qEnvironmentVariableIsEmpty("CUPS_SERVER") ||
                  (name != QLatin1String("localhost") && !name.startsWith(QLatin1Char('/'))) ||
                  QFileInfo::exists(QStringLiteral("/run/cups/cups.sock")) ||
                  QFileInfo::exists(QStringLiteral("/var/run/cups/cups.sock"));
    }
    static int giveUp(http_t*, void* self) {
        static_cast<Server*>(self)->timedOut = true;
        return 0;
    }
    QString failure(ipp_status_t status) const;
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

QString notAnswering() {
    return QStringLiteral("印刷システム (CUPS) が応答しません");
}

QString Server::failure(ipp_status_t status) const {
    if (timedOut)
        return notAnswering();
    if (!http)
        return reasonOf(IPP_STATUS_ERROR_SERVICE_UNAVAILABLE);
    return reasonOf(status);
}

// "queue/instance" as CUPS names them apart.
std::pair<QByteArray, QByteArray> queueAndInstance(const QString& printer) {
    const qsizetype slash = printer.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return {printer.toUtf8(), QByteArray()};
    return {printer.left(slash).toUtf8(), printer.mid(slash + 1).toUtf8()};
}

} // namespace

PrinterLookup lookUpPrinter(const QString& name) {
    Server server;
    PrinterLookup found;
    if (!server.present) {
        found.answered = true;
        return found;
    }
    if (!server.http) {
        found.reason = server.failure(IPP_STATUS_ERROR_SERVICE_UNAVAILABLE);
        return found;
    }
    const auto [queue, instance] = queueAndInstance(name);
    const Dest dest(cupsGetNamedDest(server.http.get(),
                                     name.isEmpty() ? nullptr : queue.constData(),
                                     instance.isEmpty() ? nullptr : instance.constData()));
    if (!dest) {
        const ipp_status_t status = cupsLastError();
        // No default printer is an answer; anything else is trouble.
        found.answered = !server.timedOut && (status <= IPP_STATUS_OK_EVENTS_COMPLETE ||
                                              status == IPP_STATUS_ERROR_NOT_FOUND);
        if (!found.answered || !name.isEmpty())
            found.reason = server.failure(
                status <= IPP_STATUS_OK_EVENTS_COMPLETE ? IPP_STATUS_ERROR_NOT_FOUND : status);
        return found;
    }
    found.answered = true;
    found.printer = QString::fromUtf8(dest->name);
    if (dest->instance)
        found.printer += QLatin1Char('/') + QString::fromUtf8(dest->instance);
    const std::unique_ptr<cups_dinfo_t, FreeDestInfo> info(
        cupsCopyDestInfo(server.http.get(), dest.get()));
    cups_size_t size{};
    if (info && cupsGetDestMediaDefault(server.http.get(), dest.get(), info.get(), 0, &size) &&
        size.width > 0 && size.length > 0)
        found.paper = QPageSize(QSizeF(size.width / 100.0, size.length / 100.0),
                                QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    return found;
}

PrintJobResult sendPdfToPrinter(const QString& printer, const QString& pdf, const QString& title,
                                const QStringList& jobOptions) {
    Server server;
    if (!server.http)
        return {false, server.failure(IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)};

    const auto [queue, instance] = queueAndInstance(printer);
    const Dest dest(cupsGetNamedDest(server.http.get(), queue.constData(),
                                     instance.isEmpty() ? nullptr : instance.constData()));
    if (!dest) {
        const ipp_status_t status = cupsLastError();
        return {false,
                server.failure(status <= IPP_STATUS_OK_EVENTS_COMPLETE ? IPP_STATUS_ERROR_NOT_FOUND
                                                                       : status)};
    }
    // The destination's options (the queue's, and the user's for it or its instance) come
    // first; what the person chose goes over them.
    JobOptions options;
    for (int i = 0; i < dest->num_options; ++i)
        options.add(dest->options[i].name, dest->options[i].value);
    for (qsizetype i = 0; i + 1 < jobOptions.size(); i += 2)
        options.add(jobOptions[i].toUtf8().constData(), jobOptions[i + 1].toUtf8().constData());
    const int job =
        cupsPrintFile2(server.http.get(), dest->name, QFile::encodeName(pdf).constData(),
                       title.toUtf8().constData(), options.count(), options.options());
    if (job > 0)
        return {true, QString()};
    return {false, server.failure(cupsLastError())};
}

QStringList paperOptions(const QPageLayout& layout) {
    const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
    QStringList options;
    if (const pwg_media_t* media =
            pwgMediaForSize(int(mm.width() * 100 + 0.5), int(mm.height() * 100 + 0.5)))
        options << QStringLiteral("media") << QString::fromUtf8(media->pwg);
    options << QStringLiteral("orientation-requested")
            << (layout.orientation() == QPageLayout::Landscape ? QStringLiteral("4")
                                                               : QStringLiteral("3"));
    return options;
}

QString stoppedWaitingReason(bool cancelled) {
    return cancelled ? QStringLiteral("印刷システムの応答を待つのを取り消しました")
                     : notAnswering();
}

bool isCompletePdf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 8)
        return false;
    f.seek(std::max<qint64>(0, f.size() - 1024));
    return f.readAll().contains("%%EOF");
}
