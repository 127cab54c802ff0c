#pragma once
// The selected rows as text for the clipboard.
#include <QByteArray>

class LineStore;

// The selected rows in row order, each decoded in the document's encoding (bytes that encode
// nothing become U+FFFD) and followed by a line feed, as UTF-8.
QByteArray selectedRowsAsUtf8(const LineStore& rows);
