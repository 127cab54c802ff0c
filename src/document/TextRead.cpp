#include "TextRead.h"

#include "LineStore.h"
#include "platform/RuntimeError.h"

#include <new>

namespace {

// Once the file is open the old rows go; each piece read is indexed while it is in the cache.
class Indexer : public ReadObserver {
  public:
    explicit Indexer(LineStore& store) : store_(store) {}
    void opened(std::size_t size) override { store_.beginIndex(size); }
    void read(const char* data, std::size_t size) override { store_.indexRead(data, size); }

  private:
    LineStore& store_;
};

} // namespace

int text_read(const QString& fileName, LineStore& store) {
    Indexer indexer(store);
    FileReadResult file = readWholeFile(fileName, LineStore::kSlack, &indexer);
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
