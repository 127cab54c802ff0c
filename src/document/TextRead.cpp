#include "TextRead.h"

#include "LineStore.h"
#include "platform/RuntimeError.h"

#include <new>

namespace {

// Each piece read is indexed while it is in the cache. Running out of memory for the index stops
// the reading.
class Indexer : public ReadObserver {
  public:
    explicit Indexer(LineStore& store) : store_(store) {}
    void opened(std::size_t size) override { store_.beginIndex(size); }
    bool read(const char* data, std::size_t size) override {
        try {
            store_.indexRead(data, size);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

  private:
    LineStore& store_;
};

} // namespace

int text_read(const QString& fileName, LineStore& store) {
    // The file is read into a document of its own: until it is read whole, the rows shown stay.
    LineStore fresh;
    Indexer indexer(fresh);
    FileReadResult file = readWholeFile(fileName, LineStore::kSlack, &indexer);
    if (file.openError)
        return file.openError;
    if (file.readError == runtime_error::OutOfMemory)
        return file.readError;
    if (!file.bytes.data) {
        store.clear();
        return file.readError;
    }
    try {
        fresh.adopt(std::move(file.bytes), file.readError != 0);
    } catch (const std::bad_alloc&) {
        return runtime_error::OutOfMemory;
    }
    store.replaceWith(std::move(fresh));
    return file.readError;
}
