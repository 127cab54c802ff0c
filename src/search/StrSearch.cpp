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

// Rows containing anchor somewhere in their bytes are candidates; each is verified whole.
std::size_t searchByAnchor(const QByteArray& anchor, const Needle& needle, LineStore& rows) {
    const char* data = rows.data();
    const std::size_t size = rows.dataSize();
    const auto& starts = rows.starts();
    std::size_t found = 0;
    std::size_t pos = 0;
    while (pos < size) {
        const void* hit = ::memmem(data + pos, size - pos, anchor.constData(), anchor.size());
        if (!hit)
            break;
        const std::size_t offset = std::size_t(static_cast<const char*>(hit) - data);
        const std::size_t row =
            std::size_t(std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin()) -
            1;
        if (rowContains(rows.rowBytes(row), needle)) {
            rows.setSelected(row, true);
            ++found;
        }
        pos = starts[row + 1];
    }
    return found;
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
        return searchByAnchor(anchor, needle, rows);
    }
    // Every character has several forms or none: one pass per form of the first that has any.
    auto multi =
        std::find_if(needle.begin(), needle.end(), [](const NeedleChar& c) { return c.count > 0; });
    if (multi != needle.end()) {
        std::size_t found = 0;
        for (int f = 0; f < multi->count; ++f) {
            const QByteArray anchor(reinterpret_cast<const char*>(multi->forms[f].bytes),
                                    multi->forms[f].length);
            found += searchByAnchor(anchor, needle, rows);
        }
        return found;
    }
    std::size_t found = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (rowContains(rows.rowBytes(i), needle)) {
            rows.setSelected(i, true);
            ++found;
        }
    return found;
}
