#include "TextRead.h"

#include "LineStore.h"
#include "platform/RuntimeError.h"

#include <new>

int text_read(const QString& fileName, LineStore& store) {
    FileReadResult file = readWholeFile(fileName, LineStore::kSlack);
    if (file.openError)
        return file.openError;
    if (!file.bytes.data) {
        store.clear();
        return file.readError;
    }
    try {
        store.adopt(std::move(file.bytes), file.readError != 0);
    } catch (const std::bad_alloc&) {
        store.clear();
        return runtime_error::OutOfMemory;
    }
    return file.readError;
}
