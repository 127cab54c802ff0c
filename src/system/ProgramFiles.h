#pragma once
#include <QString>

// A file in the program's directory: the directory, a "/" unless it already ends in one, and
// the name.
inline QString programFilePath(const QString& dir, const QString& name) {
    return dir + (dir.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + name;
}
