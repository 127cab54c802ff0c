#pragma once
// The text layer of a PDF as pdftotext reads it (options such as "-layout", "-f 2").
#include <QProcess>
#include <QString>
#include <QStringList>

inline QString pdfToText(const QString& pdf, const QStringList& options = {}) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), options + QStringList{pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
