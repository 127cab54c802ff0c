#pragma once
// A CUPS daemon of the tests' own: its configuration, spool and logs in a temporary directory,
// listening only on a unix socket there, with raw queues whose documents are kept in the spool.
// While it lives, CUPS_SERVER points this process (and the programs it starts) at it.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class PrivateCups {
  public:
    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // Whether the daemon could be started here (it needs cupsd, and root).
    bool available() const { return available_; }
    bool start();
    void stop();

    // Runs a CUPS command (lpadmin, cupsreject, lpstat, ...) against this daemon; its output.
    QString command(const QString& program, const QStringList& args, bool* ok = nullptr) const;
    bool addQueue(const QString& name);

    // The documents of every job received so far, oldest first, with their queue.
    struct Job {
        QString queue;
        QString document;
    };
    QList<Job> jobs() const;

  private:
    QTemporaryDir dir_;
    QString socket_;
    qint64 pid_ = 0;
    bool available_ = false;
    QByteArray oldServer_;
};
