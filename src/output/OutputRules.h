#pragma once
// The output file's opening rule (append, otherwise replace) and writing
// rule (each selected row's bytes, in ascending row order, followed by the document's line end:
// CR LF, or LF for a document whose lines end in LF, in the document's encoding). An output
// file that starts empty gets the byte order mark of a UTF-16 document first.
#include "system/RuntimeError.h"
#include "text/TextFormat.h"

#include <QByteArray>
#include <QString>

class LineStore;
class Progress;

// The message every failure on an output file shows, under an empty title.
QString outputFailureText();
// The save dialog's title.
QString outputDialogTitle();

// Writes the selected rows to path. Returns the failure, if any; the file is closed either way.
// On a failure an appended file keeps the rows written whole before it, and a replaced file its
// old content where it could be written aside (see OutputFile); no part of a row is left. When
// progress says stop, the rows written so far stay (replacing the old content) and that is no
// failure.
ErrorCode writeSelectedRows(const QString& path, bool append, const LineStore& rows,
                            Progress* progress = nullptr);

// Writes one line (bytes, then the format's line end) by the opening rule.
ErrorCode writeLine(const QString& path, bool append, const QByteArray& line,
                    TextFormat format = {});
