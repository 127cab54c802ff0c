#pragma once
#include "text/TextFormat.h"

#include <QString>
#include <optional>

class LineStore;
class Progress;

// What text_read returns when the person stopped the load: no error, and nothing changed.
inline constexpr int kLoadCancelled = -1;

// Loads a text file into the document. Returns 0, or the runtime error code of the failure:
// a failure at the open, or running out of memory, leaves the document as it was; any other
// failure while reading keeps the rows read so far.
// The load reports its bytes to progress, and stops when it says so (kLoadCancelled; the
// document is left as it was and the half-read file's memory given back).
// forced: read in this format instead of the one the bytes show (to read a file again in
// another encoding or line-end style).
int text_read(const QString& fileName, LineStore& store, Progress* progress = nullptr,
              std::optional<TextFormat> forced = std::nullopt);
