#pragma once
// The document: the loaded file's bytes, the start of every row, and one selected bit per row.
// Rows are decoded only when they are shown or searched; written out, they are the exact
// bytes they were read from.
#include "system/FileIO.h"
#include "system/LargeMemory.h"
#include "text/EncodingCensus.h"
#include "text/TextFormat.h"
#include "text/Utf16.h"

#include <QByteArrayView>
#include <QString>
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class LineStore {
  public:
    // Bytes the caller must allocate after the content (see adopt).
    static constexpr std::size_t kSlack = 4;
    // How much of a file's start tells UTF-16 without a byte order mark.
    static constexpr std::size_t kHeaderBytes = 4096;

    // Takes a file's bytes (allocated with kSlack spare bytes), decides its format and indexes
    // its rows. The file's line ends are LF style when more of its lines end in a lone LF than
    // in a CR (alone or before an LF), otherwise CR style; a terminator at the very end makes
    // no extra row; in UTF-16 the line ends are 16-bit units. The encoding: a byte order mark
    // (UTF-8, UTF-16LE, UTF-16BE) decides and belongs to no row; without one, the zero bytes of
    // the first kHeaderBytes may show mostly-ASCII UTF-16, and otherwise EncodingCensus decides.
    // forced: read in this format instead (its own byte order mark still belongs to no row);
    // one given to beginIndex holds too. With completeLinesOnly, an unterminated last line is
    // dropped (the file failed while being read). Clears the selection.
    void adopt(ByteBuffer bytes, bool completeLinesOnly = false,
               std::optional<TextFormat> forced = std::nullopt);
    void clear();
    // Takes other's rows, format and selection in place of this document's.
    void replaceWith(LineStore&& other);
    // Changes whenever the rows are replaced or cleared, so a view can tell whether a load
    // that failed left the document as it was.
    std::uint64_t generation() const { return generation_; }

    // Indexing while a file is being read: beginIndex with the file's size (0: unknown), then
    // indexRead with all bytes read so far (rows whose terminator has arrived are indexed in
    // the style the lines so far suggest), then adopt with the whole buffer, which indexes
    // again only when the whole file decides otherwise.
    void beginIndex(std::size_t expectedSize = 0, std::optional<TextFormat> forced = std::nullopt);
    void indexRead(const char* data, std::size_t size);

    TextFormat format() const { return format_; }

    std::size_t rowCount() const { return starts_.size() - 1; }
    // The row's bytes without its terminator (CR LF, or a lone CR or LF by the style).
    QByteArrayView rowBytes(std::size_t row) const {
        const char* d = bytes_.data.get();
        const std::size_t begin = starts_[row];
        if (wide_) [[unlikely]] {
            std::size_t end = starts_[row + 1] - 2; // the terminator's last unit
            if (utf16::unitAt(d + end, bigEndian_) == '\n' && end >= begin + 2 &&
                utf16::unitAt(d + end - 2, bigEndian_) == '\r')
                end -= 2;
            return QByteArrayView(d + begin, qsizetype(end - begin));
        }
        std::size_t end = starts_[row + 1] - 1; // the terminator's last byte
        if (d[end] == '\n' && end > begin && d[end - 1] == '\r')
            --end;
        return QByteArrayView(d + begin, qsizetype(end - begin));
    }
    // The row's text; at most maxUnits characters are decoded.
    QString rowText(std::size_t row, std::size_t maxUnits = std::size_t(-1)) const;
    // The row's text in pieces of about kTextPiece bytes (one for most rows), in order:
    // f(QStringView text, bool last) returns false to stop (then so does this). A row of any
    // length is decoded so without a string for all of it.
    static constexpr std::size_t kTextPiece = std::size_t(1) << 20;
    template <typename F> bool forEachTextPiece(std::size_t row, F f) const {
        const QByteArrayView b = rowBytes(row);
        const std::size_t size = std::size_t(b.size());
        std::size_t at = 0;
        do {
            const std::size_t n = pieceEnd(format_.encoding, b.data() + at, size - at, kTextPiece);
            at += n;
            if (!f(QStringView(decodeText(format_.encoding, b.data() + at - n, n)), at == size))
                return false;
        } while (at < size);
        return true;
    }

    // The whole buffer: a byte order mark, then every row followed by its terminator.
    const char* data() const { return bytes_.data.get(); }
    std::size_t dataSize() const { return starts_.back(); }
    // First byte of each row (row 0 starts after a byte order mark); starts()[rowCount()] is
    // dataSize().
    using Offsets = std::vector<std::uint64_t, large_memory::Allocator<std::uint64_t>>;
    const Offsets& starts() const { return starts_; }

    // The selection: one bit per row, and per block of kBlockRows rows the number of its
    // selected rows, so counting and visiting the selected (or the unselected) rows skips the
    // blocks that hold none of them.
    static constexpr std::size_t kBlockShift = 12;
    static constexpr std::size_t kBlockRows = std::size_t(1) << kBlockShift;
    bool isSelected(std::size_t row) const { return (selected_[row >> 6] >> (row & 63)) & 1; }
    void setSelected(std::size_t row, bool on) {
        std::uint64_t& word = selected_[row >> 6];
        const std::uint64_t bit = std::uint64_t(1) << (row & 63);
        if (((word & bit) != 0) == on)
            return;
        word ^= bit;
        std::uint32_t& block = blockCounts_[row >> kBlockShift];
        on ? (++block, ++selectedCount_) : (--block, --selectedCount_);
    }
    // Sets rows first..last (inclusive, in either order) to on.
    void setRangeSelected(std::size_t first, std::size_t last, bool on);
    void clearSelection();
    // The selection as it is stored (one bit per row), to be put back as it was.
    const std::vector<std::uint64_t>& selectionWords() const { return selected_; }
    void setSelectionWords(std::vector<std::uint64_t> words);
    std::size_t selectedCount() const { return selectedCount_; }
    // The selected rows among first..last (first <= last < rowCount()).
    std::size_t selectedCountIn(std::size_t first, std::size_t last) const;

    // Calls f(row) for every row among first..last (first <= last < rowCount()) whose selected
    // state is `selected`, in ascending order; f returns false to stop. Returns whether it ran
    // to the end. The time grows with the rows visited and the blocks, not the rows skipped.
    template <typename F>
    bool forEachIn(bool selected, std::size_t first, std::size_t last, F f) const {
        for (std::size_t b = first >> kBlockShift; b <= last >> kBlockShift; ++b) {
            const std::size_t blockFirst = b << kBlockShift;
            const std::size_t blockLast = std::min(blockFirst + kBlockRows, rowCount()) - 1;
            if (blockCounts_[b] == (selected ? 0 : blockLast - blockFirst + 1))
                continue;
            const std::size_t from = std::max(first, blockFirst), to = std::min(last, blockLast);
            for (std::size_t w = from >> 6; w <= to >> 6; ++w)
                for (std::uint64_t bits =
                         (selected ? selected_[w] : ~selected_[w]) & wordMask(w, from, to);
                     bits != 0; bits &= bits - 1)
                    if (!f(w * 64 + std::size_t(std::countr_zero(bits))))
                        return false;
        }
        return true;
    }
    // Calls f(row) for every selected row, in ascending order; f returns false to stop.
    template <typename F> bool forEachSelected(F f) const {
        return rowCount() == 0 || forEachIn(true, 0, rowCount() - 1, f);
    }

    // Line ends seen while indexing: every CR, every LF, and the CRs an LF follows.
    struct LineEndCounts {
        std::uint64_t cr = 0, lf = 0, crlf = 0;
    };

  private:
    void readHeader(const char* data, std::size_t size, std::size_t expectedSize);
    std::size_t byteOrderMarkOf(const char* data, std::size_t size);
    void scan(const char* data, std::size_t to);
    void restartIndex(LineEndStyle style);
    LineEndStyle styleOfCounts() const;

    ByteBuffer bytes_;
    Offsets starts_{0};
    // The bits of word w that stand for rows first..last.
    static std::uint64_t wordMask(std::size_t w, std::size_t first, std::size_t last) {
        std::uint64_t mask = ~std::uint64_t(0);
        if (w == first >> 6)
            mask &= ~std::uint64_t(0) << (first & 63);
        if (w == last >> 6)
            mask &= ~std::uint64_t(0) >> (63 - (last & 63));
        return mask;
    }
    void countSelection();

    std::vector<std::uint64_t> selected_;
    std::vector<std::uint32_t> blockCounts_; // selected rows per block of kBlockRows
    std::size_t selectedCount_ = 0;
    TextFormat format_;
    bool wide_ = false; // UTF-16: rows end on 16-bit units
    bool bigEndian_ = false;
    // While indexing:
    std::size_t scanned_ = 0; // bytes searched for terminators so far
    std::size_t expected_ = 0;
    bool headerRead_ = false; // whether the byte order mark was looked for
    bool styleChosen_ = false;
    bool encodingDecided_ = false; // by a byte order mark, UTF-16's zero bytes or forced_
    std::optional<TextFormat> forced_;
    LineEndCounts counts_;
    EncodingCensus census_;
    std::uint64_t generation_ = 0;
};
