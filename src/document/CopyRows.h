#pragma once
// The selected rows as text for the clipboard.
#include "system/RuntimeError.h"

#include <QByteArray>

class LineStore;
class Progress;

struct CopiedText {
    QByteArray text;
    ErrorCode error;        // OutOfMemory: the text did not fit (nothing is kept)
    bool cancelled = false; // the person stopped the copy (nothing is kept)
};

// The selected rows in row order, each decoded in the document's encoding (bytes that encode
// nothing become U+FFFD) and followed by a line feed, as UTF-8. Converted in blocks of rows (a
// long row in pieces, never decoded whole), two at a time where a second thread is to be had,
// and appended to a text that grows by a quarter at a time, so the memory taken stays within
// about 1.25 times the text and some megabytes. Reports the bytes done to progress, which may
// stop it.
CopiedText selectedRowsAsUtf8(const LineStore& rows, Progress* progress = nullptr);
