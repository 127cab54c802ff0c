#pragma once
#include "system/RuntimeError.h"

#include <QString>

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
LoadResult text_read(const QString& fileName, LineStore& store, Progress* progress = nullptr);
