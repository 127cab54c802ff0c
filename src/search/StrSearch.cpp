#include "StrSearch.h"

#include "document/LineStore.h"
#include "system/Progress.h"
#include "text/Cp932.h"
#include "text/Jis.h"
#include "text/Utf16.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <string.h>
#include <vector>

namespace {

// Reports a pass over the bytes every few megabytes; remembers when the person said stop.
class Checkpoints {
  public:
    Checkpoints(Progress* progress, std::uint64_t total) : progress_(progress), total_(total) {}
    // pos: how far the current pass has come, passes before it counted in whole.
    bool reached(std::uint64_t pos) {
        if (!progress_ || pos < next_)
            return !stopped_;
        next_ = pos + kEvery;
        stopped_ = stopped_ || !progress_->advance(base_ + pos, total_);
        return !stopped_;
    }
    void nextPass(std::uint64_t passSize) {
        base_ += passSize;
        next_ = 0;
    }
    bool stopped() const { return stopped_; }

  private:
    static constexpr std::uint64_t kEvery = std::uint64_t(1) << 20;
    Progress* progress_;
    std::uint64_t total_, base_ = 0, next_ = 0;
    bool stopped_ = false;
};

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

// Where bytes next stand in data[pos, size); size when nowhere. One byte is found by memchr.
std::size_t nextHit(const char* data, std::size_t pos, std::size_t size, const QByteArray& bytes) {
    const void* hit = bytes.size() == 1 ? std::memchr(data + pos, bytes[0], size - pos)
                                        : ::memmem(data + pos, size - pos, bytes.constData(),
                                                   std::size_t(bytes.size()));
    return hit ? std::size_t(static_cast<const char*>(hit) - data) : size;
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

// The character boundary at pos or just before it, given a boundary floor <= pos in the same row
// (pos is inside the row). A byte that cannot be a lead byte ends a character, and the lead-range
// bytes after it pair up, so the parity of that run tells whether pos starts a character.
std::size_t boundaryAtOrBefore(const char* data, std::size_t floor, std::size_t pos) {
    std::size_t run = pos;
    while (run > floor && cp932::isLeadByte(static_cast<unsigned char>(data[run - 1])))
        --run;
    const bool pairedWithLead =
        (pos - run) % 2 == 1 && cp932::isTrailByte(static_cast<unsigned char>(data[pos]));
    return pairedWithLead ? pos - 1 : pos;
}

// Finds the rows where the anchor (the bytes of needle characters from anchorIndex on) stands
// on a character boundary with the whole needle around it; an anchor that is the whole needle
// needs nothing more than the boundary. Each hit looks back no further than the boundary found
// at the hit before it in the same row, so no row is walked twice however many hits it has.
template <typename OnMatch>
void searchByAnchor(const QByteArray& anchor, std::size_t anchorIndex, bool anchorIsNeedle,
                    const Needle& needle, const LineStore& rows, Checkpoints& checkpoints,
                    OnMatch onMatch) {
    const char* data = rows.data();
    const std::size_t size = rows.dataSize();
    const auto& starts = rows.starts();
    std::size_t pos = starts[0], row = 0;
    // The last walk: its row, the boundaries it passed and the one it stopped at.
    std::size_t knownRow = std::size_t(-1), known = 0;
    std::vector<std::size_t> boundaries;
    while (pos < size && checkpoints.reached(pos)) {
        const std::size_t offset = nextHit(data, pos, size, anchor);
        if (offset == size)
            break;
        if (offset >= starts[row + 1])
            row = rowOf(starts, offset, row);
        const QByteArrayView bytes = rows.rowBytes(row);
        const char* rowEnd = bytes.data() + bytes.size();
        if (data + offset + anchor.size() > rowEnd) {
            pos = offset + 1; // runs into the terminator
            continue;
        }
        // The needle's characters before the anchor take at most two bytes each.
        const std::size_t rowStart = starts[row];
        const std::size_t earliest = offset - std::min(offset - rowStart, 2 * anchorIndex);
        // Start from the latest boundary the walk for the hit before found at or before
        // earliest (hits come in order), so close hits do not walk their row again.
        std::size_t floor = rowStart;
        if (knownRow == row) {
            if (known <= earliest)
                floor = known;
            else
                for (std::size_t b : boundaries)
                    if (b <= earliest)
                        floor = b;
        }
        std::size_t at = boundaryAtOrBefore(data, floor, earliest);
        boundaries.clear();
        while (at < offset) {
            boundaries.push_back(at);
            at += cp932::unitLength(data + at, rowEnd);
        }
        knownRow = row;
        known = at;
        if (at == offset && boundaries.size() >= anchorIndex) {
            const std::size_t start =
                anchorIndex == 0 ? offset : boundaries[boundaries.size() - anchorIndex];
            if (anchorIsNeedle || matchesAt(data + start, rowEnd, needle)) {
                onMatch(row);
                pos = starts[row + 1];
                continue;
            }
        }
        pos = offset + 1;
    }
}

// Finds the rows that hold bytes where isBoundary(row, offset) says a character starts there.
template <typename IsBoundary>
std::size_t searchBytes(const QByteArray& needle, LineStore& rows, Checkpoints& checkpoints,
                        IsBoundary isBoundary) {
    const char* data = rows.data();
    const std::size_t size = rows.dataSize();
    const auto& starts = rows.starts();
    std::size_t found = 0, row = 0;
    for (std::size_t pos = starts[0]; pos < size && checkpoints.reached(pos);) {
        const std::size_t offset = nextHit(data, pos, size, needle);
        if (offset == size)
            break;
        if (offset >= starts[row + 1])
            row = rowOf(starts, offset, row);
        const QByteArrayView bytes = rows.rowBytes(row);
        if (data + offset + needle.size() > bytes.data() + bytes.size() ||
            !isBoundary(row, offset, bytes)) {
            pos = offset + 1;
            continue;
        }
        rows.setSelected(row, true);
        ++found;
        pos = starts[row + 1];
    }
    return found;
}

// EUC-JP: a byte match counts where it starts a character of its row. The walk to it goes on
// from where the walk for the hit before stopped in the same row (hits come in order).
std::size_t searchEucJp(const QByteArray& needle, LineStore& rows, Checkpoints& checkpoints) {
    std::size_t knownRow = std::size_t(-1), known = 0;
    const auto* data = reinterpret_cast<const unsigned char*>(rows.data());
    return searchBytes(needle, rows, checkpoints,
                       [&](std::size_t row, std::size_t offset, QByteArrayView bytes) {
                           const auto* rowEnd =
                               reinterpret_cast<const unsigned char*>(bytes.data()) + bytes.size();
                           // A byte below 0x80 is a character of its own: the walk starts after the
                           // last one before the hit, unless the walk for the hit before went
                           // further.
                           const std::size_t floor =
                               knownRow == row && known <= offset ? known : rows.starts()[row];
                           std::size_t at = offset;
                           while (at > floor && data[at - 1] >= 0x80)
                               --at;
                           while (at < offset)
                               at += jis::eucLength(data + at, rowEnd);
                           knownRow = row;
                           known = at;
                           return at == offset;
                       });
}

// UTF-16: a byte match counts where it starts a unit; a needle of whole characters then
// matches whole characters.
std::size_t searchUtf16(const QByteArray& needle, LineStore& rows, Checkpoints& checkpoints) {
    return searchBytes(needle, rows, checkpoints,
                       [&](std::size_t row, std::size_t offset, QByteArrayView) {
                           return (offset - rows.starts()[row]) % 2 == 0;
                       });
}

// Any encoding: each row decoded and searched.
std::size_t searchDecoded(const QString& needle, LineStore& rows, Checkpoints& checkpoints) {
    std::size_t found = 0;
    for (std::size_t i = 0; i < rows.rowCount() && checkpoints.reached(rows.starts()[i]); ++i)
        if (rows.rowText(i).contains(needle)) {
            rows.setSelected(i, true);
            ++found;
        }
    return found;
}

// Half of a surrogate pair is no character: the decoders never give one alone.
bool hasUnpairedSurrogate(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

// The EUC-JP bytes of text when each character has exactly one form (none: the text cannot
// stand in a row, which empty says; U+FFFD or a second form: nullopt, search the text).
std::optional<QByteArray> uniqueEucForms(QStringView text) {
    QByteArray bytes;
    unsigned char form[3];
    for (QChar ch : text) {
        bool several = false;
        const int n = jis::eucForm(ch.unicode(), form, &several);
        if (ch.unicode() == jis::kInvalid || several)
            return std::nullopt;
        if (n == 0)
            return QByteArray();
        bytes.append(reinterpret_cast<const char*>(form), n);
    }
    return bytes;
}

// UTF-8 text is found by its bytes: a match of whole sequences can only start on a character.
std::size_t searchUtf8(const QByteArray& needle, LineStore& rows, Checkpoints& checkpoints) {
    return searchBytes(needle, rows, checkpoints,
                       [](std::size_t, std::size_t, QByteArrayView) { return true; });
}

// The encodings other than code page 932 and UTF-8.
std::size_t searchOther(QStringView typed, LineStore& rows, Checkpoints& checkpoints) {
    const TextEncoding encoding = rows.format().encoding;
    const QString needle = toEncodingVariants(encoding, typed);
    if (hasUnpairedSurrogate(needle))
        return 0;
    if (encoding == TextEncoding::EucJp) {
        if (auto bytes = uniqueEucForms(needle))
            return bytes->isEmpty() ? 0 : searchEucJp(*bytes, rows, checkpoints);
    } else if (isUtf16(encoding) && !needle.contains(QChar(jis::kInvalid))) {
        return searchUtf16(utf16::encode(needle, encoding == TextEncoding::Utf16Be), rows,
                           checkpoints);
    }
    return searchDecoded(needle, rows, checkpoints);
}

std::size_t search(QStringView typed, LineStore& rows, Checkpoints& checkpoints) {
    const std::size_t count = rows.rowCount();
    const auto& starts = rows.starts();
    if (typed.isEmpty()) {
        std::size_t found = 0;
        for (std::size_t i = 0; i < count && checkpoints.reached(starts[i]); ++i)
            if (!rows.rowBytes(i).isEmpty()) {
                rows.setSelected(i, true);
                ++found;
            }
        return found;
    }
    if (rows.format().encoding == TextEncoding::Utf8)
        return searchUtf8(typed.toUtf8(), rows, checkpoints);
    if (rows.format().encoding != TextEncoding::Cp932)
        return searchOther(typed, rows, checkpoints);
    // What an input method types (WAVE DASH for the tilde the list shows, ...) finds the
    // characters the file holds.
    const QString needleText = cp932::toCp932Variants(typed);
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
        const bool anchorIsNeedle = bestLen == needle.size();
        searchByAnchor(anchor, bestStart, anchorIsNeedle, needle, rows, checkpoints,
                       [&](std::size_t row) {
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
            searchByAnchor(anchor, std::size_t(multi - needle.begin()), needle.size() == 1, needle,
                           rows, checkpoints, [&](std::size_t row) { hits.push_back(row); });
            checkpoints.nextPass(rows.dataSize());
        }
        std::sort(hits.begin(), hits.end());
        hits.erase(std::unique(hits.begin(), hits.end()), hits.end());
        for (std::size_t row : hits)
            rows.setSelected(row, true);
        return hits.size();
    }
    std::size_t found = 0;
    for (std::size_t i = 0; i < count && checkpoints.reached(starts[i]); ++i)
        if (rowContains(rows.rowBytes(i), needle)) {
            rows.setSelected(i, true);
            ++found;
        }
    return found;
}

} // namespace

std::size_t StrSearch(QStringView needle, LineStore& rows, Progress* progress) {
    // A stopped search selects nothing: the selection goes back to what it was.
    std::vector<std::uint64_t> before;
    if (progress)
        before = rows.selectionWords();
    Checkpoints checkpoints(progress, rows.dataSize());
    const std::size_t found = search(needle, rows, checkpoints);
    if (!checkpoints.stopped())
        return found;
    rows.setSelectionWords(std::move(before));
    return 0;
}
