#include "PrivateCups.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <cups/cups.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void writeFile(const QString& path, const QString& text) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text.toUtf8());
}

} // namespace

PrivateCups::PrivateCups() : oldServer_(qgetenv("CUPS_SERVER")) {
    if (!QFile::exists(QStringLiteral("/usr/sbin/cupsd")) || ::geteuid() != 0 || !dir_.isValid())
        return;
    const QString root = dir_.path();
    socket_ = root + QStringLiteral("/cups.sock");
    for (const char* sub : {"etc", "spool/tmp", "cache", "state", "log"})
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
    writeFile(root + QStringLiteral("/etc/cupsd.conf"),
              QStringLiteral("Listen %1\nLogLevel info\nDefaultAuthType None\nWebInterface No\n"
                             "Browsing No\nPreserveJobFiles Yes\nPreserveJobHistory Yes\nPrintcap\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order allow,deny\n"
                             "    Allow all\n  </Limit>\n</Policy>\n")
                  .arg(socket_));
    writeFile(root + QStringLiteral("/etc/cups-files.conf"),
              QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/spool/tmp\n"
                             "CacheDir %1/cache\nStateDir %1/state\nErrorLog %1/log/error_log\n"
                             "AccessLog %1/log/access_log\nPageLog %1/log/page_log\n"
                             "FileDevice Yes\nGroup lp\nSystemGroup root\n"
                             "ServerKeychain %1/ssl\n")
                  .arg(root));
    qputenv("CUPS_SERVER", QFile::encodeName(socket_));
    cupsSetServer(nullptr); // the server is read from the environment again
    available_ = start();
}

PrivateCups::~PrivateCups() {
    stop();
    if (oldServer_.isEmpty())
        qunsetenv("CUPS_SERVER");
    else
        qputenv("CUPS_SERVER", oldServer_);
    cupsSetServer(nullptr);
}

bool PrivateCups::start() {
    if (pid_ != 0)
        return true;
    const QString root = dir_.path();
    if (!QProcess::startDetached(QStringLiteral("/usr/sbin/cupsd"),
                                 {QStringLiteral("-f"), QStringLiteral("-c"),
                                  root + QStringLiteral("/etc/cupsd.conf"), QStringLiteral("-s"),
                                  root + QStringLiteral("/etc/cups-files.conf")},
                                 QString(), &pid_))
        return false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 15000) {
        if (command(QStringLiteral("lpstat"), {QStringLiteral("-r")})
                .contains(QStringLiteral("scheduler is running")))
            return true;
        QThread::msleep(20);
    }
    stop();
    return false;
}

void PrivateCups::stop() {
    if (pid_ == 0)
        return;
    ::kill(pid_t(pid_), SIGTERM);
    for (int i = 0; i < 500 && ::kill(pid_t(pid_), 0) == 0; ++i) {
        ::waitpid(pid_t(pid_), nullptr, WNOHANG);
        QThread::msleep(10);
    }
    pid_ = 0;
    QFile::remove(socket_);
}

QString PrivateCups::command(const QString& program, const QStringList& args, bool* ok) const {
    QProcess p;
    p.start(program, args);
    const bool finished = p.waitForFinished(15000);
    if (ok)
        *ok = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

bool PrivateCups::addQueue(const QString& name) {
    bool ok = false;
    command(QStringLiteral("lpadmin"),
            {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
             QStringLiteral("file:///dev/null"), QStringLiteral("-m"), QStringLiteral("raw")},
            &ok);
    return ok;
}

QList<PrivateCups::Job> PrivateCups::jobs() const {
    // "QUEUE-ID user size date" for every job; the first document of job ID is dID-001.
    QList<Job> out;
    const QString list =
        command(QStringLiteral("lpstat"),
                {QStringLiteral("-W"), QStringLiteral("all"), QStringLiteral("-o")});
    for (const QString& line : list.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString id = line.section(QLatin1Char(' '), 0, 0);
        const qsizetype dash = id.lastIndexOf(QLatin1Char('-'));
        bool number = false;
        const int job = id.mid(dash + 1).toInt(&number);
        if (dash > 0 && number)
            out.append(
                {id.left(dash),
                 dir_.path() + QStringLiteral("/spool/d%1-001").arg(job, 5, 10, QLatin1Char('0')),
                 job});
    }
    std::sort(out.begin(), out.end(),
              [](const Job& a, const Job& b) { return a.document < b.document; });
    return out;
}

bool PrivateCups::addPdfQueue(const QString& name, const QString& output) {
    const QString ppd = QStringLiteral("/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd");
    if (!QFile::exists(ppd))
        return false;
    // The filters read the queue's PPD, and the file backend writes, as the daemon's user.
    QFile::setPermissions(dir_.path(), QFile::permissions(dir_.path()) | QFileDevice::ExeOther);
    QFile(output).open(QIODevice::WriteOnly);
    QFile::setPermissions(output, QFile::permissions(output) | QFileDevice::WriteOther);
    const QString dir = QFileInfo(output).absolutePath();
    QFile::setPermissions(dir, QFile::permissions(dir) | QFileDevice::ExeOther);
    bool ok = false;
    command(QStringLiteral("lpadmin"),
            {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
             QStringLiteral("file://") + output, QStringLiteral("-P"), ppd},
            &ok);
    return ok;
}

void PrivateCups::pause() {
    if (pid_ != 0)
        ::kill(pid_t(pid_), SIGSTOP);
}

void PrivateCups::resume() {
    if (pid_ != 0)
        ::kill(pid_t(pid_), SIGCONT);
}

QString PrivateCups::jobAttribute(int job, const char* name) const {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const QByteArray uri = "ipp://localhost/jobs/" + QByteArray::number(job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.constData());
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    QString value;
    if (ipp_attribute_t* a = response ? ippFindAttribute(response, name, IPP_TAG_ZERO) : nullptr) {
        char text[1024];
        ippAttributeString(a, text, sizeof text);
        value = QString::fromUtf8(text);
    }
    ippDelete(response);
    return value;
}
