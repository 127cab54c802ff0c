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
    // A queue that turns documents into PDF through the print filters, as an office printer is
    // set up, writing what the printer would get to output; false where the filters are missing.
    bool addPdfQueue(const QString& name, const QString& output);
    // Stops the daemon as a hung or overloaded server behaves, and lets it go on.
    void pause();
    void resume();
    // An attribute of a job as the daemon keeps it ("" where the job has none).
    QString jobAttribute(int job, const char* name) const;

    // The documents of every job received so far, oldest first, with their queue.
    struct Job {
        QString queue;
        QString document;
        int id = 0;
    };
    QList<Job> jobs() const;

  private:
    QTemporaryDir dir_;
    QString socket_;
    qint64 pid_ = 0;
    bool available_ = false;
    QByteArray oldServer_;
};
