#include "CopyRows.h"

#include "LineStore.h"
#include "system/LargeMemory.h"
#include "text/Cp932.h"
#include "text/Utf8.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Writes rows[from, to) of the selected rows as UTF-8 lines at w; returns the end.
char* convertRows(const LineStore& rows, const std::vector<std::size_t>& selected, std::size_t from,
                  std::size_t to, char* w) {
    const TextEncoding encoding = rows.format().encoding;
    for (std::size_t i = from; i < to; ++i) {
        const std::size_t row = selected[i];
        const QByteArrayView b = rows.rowBytes(row);
        if (encoding == TextEncoding::Cp932) {
            w = cp932::toUtf8(b.data(), std::size_t(b.size()), w);
        } else if (encoding != TextEncoding::Utf8) {
            const QByteArray text = rows.rowText(row).toUtf8();
            w = std::copy(text.begin(), text.end(), w);
        } else if (utf8::wellFormed(reinterpret_cast<const unsigned char*>(b.data()),
                                    std::size_t(b.size()))) {
            w = std::copy(b.begin(), b.end(), w); // a well-formed row is its own text
        } else {
            const QByteArray text = rows.rowText(row).toUtf8(); // broken bytes become U+FFFD
            w = std::copy(text.begin(), text.end(), w);
        }
        *w++ = '\n';
    }
    return w;
}

} // namespace

QByteArray selectedRowsAsUtf8(const LineStore& rows) {
    std::vector<std::size_t> selected;
    selected.reserve(rows.selectedCount());
    std::size_t bytes = 0;
    rows.forEachSelected([&](std::size_t row) {
        selected.push_back(row);
        bytes += std::size_t(rows.rowBytes(row).size()) + 1;
        return true;
    });
    // Room for the most a byte can become (three bytes of UTF-8); what is not used is given back.
    QByteArray out(qsizetype(3 * bytes + 1), Qt::Uninitialized);
    large_memory::preferHugePages(out.data(), std::size_t(out.size()));
    char* const base = out.data();
    // A large selection is converted in two halves at once, the second written after the room
    // the first may take and moved down to it afterwards.
    std::size_t half = selected.size(), firstBytes = bytes;
    if (bytes >= (std::size_t(8) << 20)) {
        std::size_t sum = 0;
        for (half = 0; half < selected.size() && sum < bytes / 2; ++half)
            sum += std::size_t(rows.rowBytes(selected[half]).size()) + 1;
        firstBytes = sum;
    }
    char* secondStart = base + 3 * firstBytes;
    char* secondEnd = secondStart;
    std::thread second;
    if (half < selected.size()) {
        try {
            second = std::thread([&] {
                secondEnd = convertRows(rows, selected, half, selected.size(), secondStart);
            });
        } catch (const std::system_error&) {
            half = selected.size(); // no thread to be had: one pass
        }
    }
    char* end = convertRows(rows, selected, 0, half, base);
    if (second.joinable()) {
        second.join();
        end = std::copy(secondStart, secondEnd, end);
    }
    out.truncate(end - base);
    out.squeeze();
    return out;
}
