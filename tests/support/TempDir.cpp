#include "TempDir.h"

#include "text/Cp932.h"

#include <QFile>
#include <cstdio>

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

bool TempDir::writeBytes(const QByteArray& path, const QByteArray& bytes) {
    std::FILE* f = std::fopen(path.constData(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), f) ==
                    std::size_t(bytes.size());
    return std::fclose(f) == 0 && ok;
}

QByteArray TempDir::readBytes(const QByteArray& path) {
    std::FILE* f = std::fopen(path.constData(), "rb");
    if (!f)
        return "<unreadable>";
    QByteArray bytes;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        bytes.append(buffer, qsizetype(n));
    std::fclose(f);
    return bytes;
}

QByteArray sjis(const char* utf8) {
    return *cp932::encode(QString::fromUtf8(utf8));
}
