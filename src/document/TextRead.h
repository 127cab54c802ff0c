#pragma once
#include "system/RuntimeError.h"
#include "text/TextFormat.h"

#include <QString>
#include <optional>

class LineStore;
class Progress;

struct LoadResult {
    ErrorCode error;
    bool cancelled = false; // the person stopped the load: no error, and nothing changed
};

// Loads a text file into the document. A failure at the open, or running out of memory, leaves
// the document as it was; any other failure while reading keeps the rows read so far.
// The load reports its bytes to progress, and stops when it says so (the document is left as it
// was and the half-read file's memory given back).
// forced: read in this format instead of the one the bytes show (to read a file again in
// another encoding or line-end style).
LoadResult text_read(const QString& fileName, LineStore& store, Progress* progress = nullptr,
                     std::optional<TextFormat> forced = std::nullopt);
