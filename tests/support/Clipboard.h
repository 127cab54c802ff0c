#pragma once
#include <QClipboard>
#include <QGuiApplication>

// Whether this display has a clipboard a program can set and read back (not on a compositor
// without a seat, which Wayland's clipboard needs).
inline bool clipboardWorks() {
    QGuiApplication::clipboard()->setText(QStringLiteral("probe"));
    return QGuiApplication::clipboard()->text() == QStringLiteral("probe");
}
