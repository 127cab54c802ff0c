#include "StrSearch.h"

#include "document/LineStore.h"
#include "platform/Cp932.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <string.h>
#include <vector>

namespace {

struct NeedleChar {
    cp932::Form forms[3];
    int count = 0;
    bool undecodable = false; // U+FFFD: any unit the code page does not map
};

using Needle = std::vector<NeedleChar>;

bool unitMatches(const char* p, std::size_t len, const NeedleChar& c) {
    if (c.undecodable)
        return cp932::decodeUnit(p, len) == cp932::kInvalid;
    for (int i = 0; i < c.count; ++i)
        if (c.forms[i].length == len && std::memcmp(c.forms[i].bytes, p, len) == 0)
            return true;
    return false;
}

bool matchesAt(const char* p, const char* end, const Needle& needle) {
    for (const NeedleChar& c : needle) {
        if (p >= end)
            return false;
        const std::size_t len = cp932::unitLength(p, end);
        if (!unitMatches(p, len, c))
            return false;
        p += len;
    }
    return true;
}

bool rowContains(QByteArrayView row, const Needle& needle) {
    const char* p = row.data();
    const char* end = p + row.size();
    for (; p < end; p += cp932::unitLength(p, end))
        if (matchesAt(p, end, needle))
            return true;
    return false;
}

// The row that holds byte offset, searching forward from the row hint (hits come in order).
std::size_t rowOf(const LineStore::Offsets& starts, std::size_t offset, std::size_t hint) {
    std::size_t lo = hint, step = 1;
    const std::size_t rows = starts.size() - 1;
    while (lo + step < rows && starts[lo + step] <= offset) {
        lo += step;
        step *= 2;
    }
    const auto hi = starts.begin() + std::ptrdiff_t(std::min(rows, lo + step) + 1);
    return std::size_t(std::upper_bound(starts.begin() + std::ptrdiff_t(lo), hi, offset) -
                       starts.begin()) -
           1;
}

// Finds the rows where the anchor (the bytes of needle characters from anchorIndex on) stands
// on a character boundary with the whole needle around it. Character boundaries are found by
// walking each row once from its start, however many hits it has.
template <typename OnMatch>
void searchByAnchor(const QByteArray& anchor, std::size_t anchorIndex, const Needle& needle,
                    const LineStore& rows, OnMatch onMatch) {
    const char* data = rows.data();
    const std::size_t size = rows.dataSize();
    const auto& starts = rows.starts();
    std::size_t pos = 0, row = 0;
    // The walk: the row being walked, the next boundary in it, the boundaries just before it.
    std::size_t walkRow = std::size_t(-1), walkAt = 0, walked = 0;
    std::vector<std::size_t> recent(anchorIndex + 1);
    while (pos < size) {
        const void* hit = ::memmem(data + pos, size - pos, anchor.constData(), anchor.size());
        if (!hit)
            break;
        const std::size_t offset = std::size_t(static_cast<const char*>(hit) - data);
        row = rowOf(starts, offset, row);
        const QByteArrayView bytes = rows.rowBytes(row);
        const char* rowBegin = bytes.data();
        const char* rowEnd = rowBegin + bytes.size();
        if (rowBegin + (offset - starts[row]) + anchor.size() > rowEnd) {
            pos = offset + 1; // runs into the terminator
            continue;
        }
        // Walk from a known character boundary: where the last walk in this row stopped, or
        // the nearest byte before the needle's earliest start that cannot be a trail byte
        // (a character starts there), whichever is later.
        const std::size_t rowStart = starts[row];
        const std::size_t earliest = offset - std::min(offset - rowStart, 2 * anchorIndex);
        const bool continuing = walkRow == row && walkAt <= earliest;
        const std::size_t floor = continuing ? walkAt : rowStart;
        std::size_t back = earliest;
        while (back > floor && cp932::isTrailByte(static_cast<unsigned char>(data[back])))
            --back;
        if (!continuing || back > walkAt) {
            walkRow = row;
            walkAt = back;
            walked = 0;
        }
        while (walkAt < offset) {
            recent[walked++ % recent.size()] = walkAt;
            walkAt += cp932::unitLength(data + walkAt, rowEnd);
        }
        if (walkAt == offset && walked >= anchorIndex) {
            recent[walked % recent.size()] = walkAt; // the anchor's own boundary, not counted
            const std::size_t start = recent[(walked - anchorIndex) % recent.size()];
            if (matchesAt(data + start, rowEnd, needle)) {
                onMatch(row);
                pos = starts[row + 1];
                continue;
            }
        }
        pos = offset + 1;
    }
}

} // namespace

std::size_t StrSearch(QStringView needleText, LineStore& rows) {
    const std::size_t count = rows.rowCount();
    if (needleText.isEmpty()) {
        std::size_t found = 0;
        for (std::size_t i = 0; i < count; ++i)
            if (!rows.rowBytes(i).isEmpty()) {
                rows.setSelected(i, true);
                ++found;
            }
        return found;
    }
    Needle needle(std::size_t(needleText.size()));
    for (qsizetype i = 0; i < needleText.size(); ++i) {
        NeedleChar& c = needle[std::size_t(i)];
        c.undecodable = needleText[i].unicode() == cp932::kInvalid;
        c.count = c.undecodable ? 0 : cp932::formsOf(needleText[i].unicode(), c.forms);
        if (!c.undecodable && c.count == 0)
            return 0; // a character no row can hold
    }
    // The anchor: the longest run of characters that have exactly one form.
    std::size_t bestStart = 0, bestLen = 0;
    for (std::size_t i = 0; i < needle.size();) {
        std::size_t j = i;
        while (j < needle.size() && needle[j].count == 1)
            ++j;
        if (j - i > bestLen)
            bestStart = i, bestLen = j - i;
        i = j + 1;
    }
    if (bestLen > 0) {
        QByteArray anchor;
        for (std::size_t i = bestStart; i < bestStart + bestLen; ++i)
            anchor.append(reinterpret_cast<const char*>(needle[i].forms[0].bytes),
                          needle[i].forms[0].length);
        std::size_t found = 0;
        searchByAnchor(anchor, bestStart, needle, rows, [&](std::size_t row) {
            rows.setSelected(row, true);
            ++found;
        });
        return found;
    }
    // Every character has several forms or none: one pass per form of the first that has any.
    auto multi =
        std::find_if(needle.begin(), needle.end(), [](const NeedleChar& c) { return c.count > 0; });
    if (multi != needle.end()) {
        std::vector<std::size_t> hits; // a row may be found by more than one form
        for (int f = 0; f < multi->count; ++f) {
            const QByteArray anchor(reinterpret_cast<const char*>(multi->forms[f].bytes),
                                    multi->forms[f].length);
            searchByAnchor(anchor, std::size_t(multi - needle.begin()), needle, rows,
                           [&](std::size_t row) { hits.push_back(row); });
        }
        std::sort(hits.begin(), hits.end());
        hits.erase(std::unique(hits.begin(), hits.end()), hits.end());
        for (std::size_t row : hits)
            rows.setSelected(row, true);
        return hits.size();
    }
    std::size_t found = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (rowContains(rows.rowBytes(i), needle)) {
            rows.setSelected(i, true);
            ++found;
        }
    return found;
}
