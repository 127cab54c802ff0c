#include "TextRead.h"

#include "LineStore.h"
#include "system/Progress.h"
#include "system/RuntimeError.h"

#include <new>

namespace {

// Each piece read is indexed while it is in the cache. Running out of memory for the index, or
// the person stopping the load, stops the reading.
class Indexer : public ReadObserver {
  public:
    Indexer(LineStore& store, Progress* progress, std::optional<TextFormat> forced)
        : store_(store), progress_(progress), forced_(forced) {}
    void opened(std::size_t size) override {
        size_ = size;
        store_.beginIndex(size, forced_);
    }
    bool read(const char* data, std::size_t size) override {
        try {
            store_.indexRead(data, size);
        } catch (const std::bad_alloc&) {
            return false;
        }
        cancelled_ = progress_ && !progress_->advance(size, size_);
        return !cancelled_;
    }
    bool cancelled() const { return cancelled_; }

  private:
    LineStore& store_;
    Progress* progress_;
    std::optional<TextFormat> forced_;
    std::size_t size_ = 0;
    bool cancelled_ = false;
};

} // namespace

LoadResult text_read(const QString& fileName, LineStore& store, Progress* progress,
                      std::optional<TextFormat> forced) {
    // The file is read into a document of its own: until it is read whole, the rows shown stay.
    LineStore fresh;
    Indexer indexer(fresh, progress, forced);
    FileReadResult file = readWholeFile(fileName, LineStore::kSlack, &indexer);
    if (file.openError)
        return {file.openError};
    if (indexer.cancelled())
        return {ErrorCode::None, true};
    if (file.readError == ErrorCode::OutOfMemory)
        return {file.readError};
    if (!file.bytes.data) {
        store.clear();
        return {file.readError};
    }
    try {
        fresh.adopt(std::move(file.bytes), bool(file.readError), forced);
    } catch (const std::bad_alloc&) {
        return {ErrorCode::OutOfMemory};
    }
    store.replaceWith(std::move(fresh));
    return {file.readError};
}
