#include "TempDir.h"

#include "text/Cp932.h"

#include <QFile>

QString TempDir::write(const QString& name, const QByteArray& bytes) const {
    const QString p = file(name);
    QFile f(p);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return p;
}

QByteArray TempDir::read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QByteArray sjis(const char* utf8) {
    return *cp932::encode(QString::fromUtf8(utf8));
}
