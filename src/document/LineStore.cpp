#include "LineStore.h"

#include "platform/Cp932.h"

#include <algorithm>
#include <bit>
#include <cstring>

void LineStore::beginIndex() {
    clear();
    scanned_ = 0;
}

void LineStore::reserveRows(std::size_t fileSize) {
    // About one row per 40 bytes; only the entries used take memory.
    starts_.reserve(fileSize / 40 + 16);
}

void LineStore::indexRead(const char* d, std::size_t size) {
    // A CR in the last byte waits for the next piece: an LF may follow it.
    const char* p = d + scanned_;
    const char* end = d + size;
    while (p < end) {
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', std::size_t(end - p)));
        if (!cr || cr + 1 == end) {
            p = cr ? cr : end;
            break;
        }
        p = cr + 1;
        if (*p == '\n')
            ++p;
        starts_.push_back(std::uint64_t(p - d));
    }
    scanned_ = std::size_t(p - d);
}

void LineStore::adopt(ByteBuffer bytes, bool completeLinesOnly) {
    bytes_ = std::move(bytes);
    char* d = bytes_.data.get();
    std::size_t size = bytes_.size;
    if (scanned_ == 0)
        starts_.assign(1, 0);
    indexRead(d, size);
    if (scanned_ < size && d[size - 1] == '\r') // the file ends in a lone CR
        starts_.push_back(size);
    scanned_ = 0;
    if (starts_.back() != size) {
        if (completeLinesOnly) {
            size = starts_.back();
        } else {
            // Give the unterminated last line a terminator of its own, so every row ends in one.
            d[size] = '\r';
            d[size + 1] = '\n';
            size += 2;
            starts_.push_back(size);
        }
    }
    bytes_.size = size;
    if (starts_.capacity() > 2 * starts_.size() + 1024)
        starts_.shrink_to_fit();
    selected_.assign((rowCount() + 63) / 64, 0);
}

// Gives the memory back: a replaced document must not hold on to the old one's.
void LineStore::clear() {
    bytes_ = ByteBuffer{};
    Offsets(1, 0).swap(starts_);
    std::vector<std::uint64_t>().swap(selected_);
}

QString LineStore::rowText(std::size_t row, std::size_t maxUnits) const {
    const QByteArrayView b = rowBytes(row);
    return cp932::decode(b.data(), std::size_t(b.size()), maxUnits);
}

void LineStore::setRangeSelected(std::size_t first, std::size_t last, bool on) {
    if (first > last)
        std::swap(first, last);
    // Whole words at once: a range over millions of rows is a memset, not a loop over rows.
    while (first <= last && (first & 63) != 0)
        setSelected(first++, on);
    while (first + 63 <= last) {
        selected_[first >> 6] = on ? ~std::uint64_t(0) : 0;
        first += 64;
    }
    while (first <= last)
        setSelected(first++, on);
}

void LineStore::clearSelection() {
    std::fill(selected_.begin(), selected_.end(), 0);
}

std::size_t LineStore::selectedCount() const {
    std::size_t n = 0;
    for (std::uint64_t w : selected_)
        n += std::size_t(std::popcount(w));
    return n;
}
