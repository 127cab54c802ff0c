#include "CopyRows.h"

#include "LineStore.h"
#include "system/Progress.h"
#include "text/Cp932.h"
#include "text/Utf8.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Bytes of rows a block holds, and the most parts of rows in one.
constexpr std::size_t kBlockBytes = std::size_t(4) << 20;
constexpr std::size_t kBlockParts = 65536;

// Bytes [begin, end) of a selected row; ends: the row's end is among them.
struct Part {
    std::size_t row, begin, end;
    bool ends;
};

// The selected rows, in blocks of about kBlockBytes, a longer row cut into pieces.
class Blocks {
  public:
    explicit Blocks(const LineStore& rows) : rows_(rows) { row_ = nextSelected(0); }
    bool done() const { return row_ == kNone; }
    // Bytes of the rows taken so far (each row's line end counting one).
    std::uint64_t taken() const { return taken_; }

    void next(std::vector<Part>& parts) {
        parts.clear();
        std::size_t bytes = 0;
        while (!done() && bytes < kBlockBytes && parts.size() < kBlockParts) {
            const QByteArrayView b = rows_.rowBytes(row_);
            const std::size_t size = std::size_t(b.size());
            const std::size_t end = offset_ + pieceEnd(rows_.format().encoding, b.data() + offset_,
                                                       size - offset_, kBlockBytes - bytes);
            const bool ends = end == size;
            parts.push_back({row_, offset_, end, ends});
            bytes += end - offset_ + 1;
            taken_ += end - offset_ + (ends ? 1 : 0);
            offset_ = end;
            if (ends) {
                row_ = nextSelected(row_ + 1);
                offset_ = 0;
            }
        }
    }

  private:
    static constexpr std::size_t kNone = std::size_t(-1);
    std::size_t nextSelected(std::size_t from) const {
        const std::vector<std::uint64_t>& words = rows_.selectionWords();
        std::size_t w = from >> 6;
        if (w >= words.size())
            return kNone;
        std::uint64_t bits = words[w] & (~std::uint64_t(0) << (from & 63));
        while (bits == 0) {
            if (++w == words.size())
                return kNone;
            bits = words[w];
        }
        const std::size_t row = w * 64 + std::size_t(std::countr_zero(bits));
        return row < rows_.rowCount() ? row : kNone;
    }
    const LineStore& rows_;
    std::size_t row_ = kNone, offset_ = 0;
    std::uint64_t taken_ = 0;
};

// Appends the parts' text as UTF-8 to out (whose memory is reused from block to block).
void convert(const LineStore& rows, const std::vector<Part>& parts, QByteArray& out) {
    out.resize(0);
    const TextEncoding encoding = rows.format().encoding;
    for (const Part& part : parts) {
        const char* data = rows.rowBytes(part.row).data() + part.begin;
        const std::size_t size = part.end - part.begin;
        const qsizetype at = out.size();
        if (encoding == TextEncoding::Cp932) {
            out.resize(at + qsizetype(3 * size)); // the most a byte becomes
            out.truncate(cp932::toUtf8(data, size, out.data() + at) - out.constData());
        } else if (encoding == TextEncoding::Utf8 &&
                   utf8::wellFormed(reinterpret_cast<const unsigned char*>(data), size)) {
            out.append(data, qsizetype(size)); // well-formed bytes are their own text
        } else {
            out.append(decodeText(encoding, data, size).toUtf8()); // broken bytes become U+FFFD
        }
        if (part.ends)
            out.append('\n');
    }
}

// Makes room for more bytes after the text, a quarter more at a time (the system moves a large
// block's pages rather than copying them).
void append(QByteArray& text, const QByteArray& more) {
    if (text.capacity() - text.size() < more.size())
        text.reserve(std::max(text.size() + more.size(), text.capacity() + text.capacity() / 4));
    text.append(more);
}

} // namespace

CopiedText selectedRowsAsUtf8(const LineStore& rows, Progress* progress) {
    CopiedText result;
    std::uint64_t total = 0;
    rows.forEachSelected([&](std::size_t row) {
        total += std::uint64_t(rows.rowBytes(row).size()) + 1;
        return true;
    });
    try {
        // As many bytes as the rows have (half for UTF-16): most text needs no more.
        result.text.reserve(qsizetype(isUtf16(rows.format().encoding) ? total / 2 + 1 : total));
        Blocks blocks(rows);
        std::vector<Part> mine, theirs;
        // Room for a block's text in code page 932 or UTF-8, made here, so the second thread
        // needs no memory of its own for them.
        QByteArray mineText, theirText;
        mineText.reserve(qsizetype(3 * kBlockBytes + 64));
        theirText.reserve(qsizetype(3 * kBlockBytes + 64));
        while (!blocks.done()) {
            blocks.next(mine);
            blocks.next(theirs);
            // The second block on a thread of its own, where one is to be had.
            std::atomic<bool> theirsFailed = false;
            std::thread helper;
            if (!theirs.empty()) {
                try {
                    helper = std::thread([&] {
                        try {
                            convert(rows, theirs, theirText);
                        } catch (const std::bad_alloc&) {
                            theirsFailed = true;
                        }
                    });
                } catch (const std::system_error&) {
                }
            }
            struct Join {
                std::thread& t;
                ~Join() {
                    if (t.joinable())
                        t.join();
                }
            } join{helper};
            convert(rows, mine, mineText);
            if (helper.joinable())
                helper.join();
            else
                convert(rows, theirs, theirText);
            if (theirsFailed)
                throw std::bad_alloc();
            append(result.text, mineText);
            append(result.text, theirText);
            if (progress && !progress->advance(blocks.taken(), total)) {
                result.cancelled = true;
                result.text = QByteArray();
                return result;
            }
        }
        result.text.squeeze();
    } catch (const std::bad_alloc&) {
        result.text = QByteArray();
        result.error = ErrorCode::OutOfMemory;
    }
    return result;
}
