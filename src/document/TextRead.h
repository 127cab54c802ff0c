#pragma once
#include <QString>

class LineStore;

// Loads a text file into the document. Returns 0, or the runtime error code of the failure:
// a failure at the open, or running out of memory, leaves the document as it was; any other
// failure while reading keeps the rows read so far.
int text_read(const QString& fileName, LineStore& store);
