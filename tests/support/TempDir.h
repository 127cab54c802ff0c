#pragma once
// A temporary directory with helpers to make and read real files in it.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TempDir {
  public:
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const;
    static QByteArray read(const QString& path);
    // The same for a name given as the file system's bytes (which need not be UTF-8).
    static bool writeBytes(const QByteArray& path, const QByteArray& bytes);
    static QByteArray readBytes(const QByteArray& path);

  private:
    QTemporaryDir dir_;
};

// UTF-8 literal text in code page 932.
QByteArray sjis(const char* utf8);
