#pragma once
// The document: the loaded file's bytes, the start of every row, and one selected bit per row.
// Rows are decoded only when they are shown or searched; written out, they are the exact
// bytes they were read from.
#include "system/FileIO.h"
#include "system/LargeMemory.h"
#include "text/TextFormat.h"
#include "text/Utf8.h"

#include <QByteArrayView>
#include <QString>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

class LineStore {
  public:
    // Bytes the caller must allocate after the content (see adopt).
    static constexpr std::size_t kSlack = 2;

    // Takes a file's bytes (allocated with kSlack spare bytes), decides its format and indexes
    // its rows. The file's line ends are LF style when more of its lines end in a lone LF than
    // in a CR (alone or before an LF), otherwise CR style; a terminator at the very end makes
    // no extra row. It is UTF-8 when it starts with the byte order mark (which then belongs to
    // no row) or when its valid multi-byte UTF-8 sequences outnumber the invalid ones a
    // thousand to one, otherwise code page 932. With completeLinesOnly, an unterminated last
    // line is dropped (the file failed while being read). Clears the selection.
    void adopt(ByteBuffer bytes, bool completeLinesOnly = false);
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
    void beginIndex(std::size_t expectedSize = 0);
    void indexRead(const char* data, std::size_t size);

    TextFormat format() const { return format_; }

    std::size_t rowCount() const { return starts_.size() - 1; }
    // The row's bytes without its terminator (CR LF, or a lone CR or LF by the style).
    QByteArrayView rowBytes(std::size_t row) const {
        const char* d = bytes_.data.get();
        const std::size_t begin = starts_[row];
        std::size_t end = starts_[row + 1] - 1; // the terminator's last byte
        if (d[end] == '\n' && end > begin && d[end - 1] == '\r')
            --end;
        return QByteArrayView(d + begin, qsizetype(end - begin));
    }
    // The row's text; at most maxUnits characters are decoded.
    QString rowText(std::size_t row, std::size_t maxUnits = std::size_t(-1)) const;

    // The whole buffer: a byte order mark, then every row followed by its terminator.
    const char* data() const { return bytes_.data.get(); }
    std::size_t dataSize() const { return starts_.back(); }
    // First byte of each row (row 0 starts after a byte order mark); starts()[rowCount()] is
    // dataSize().
    using Offsets = std::vector<std::uint64_t, large_memory::Allocator<std::uint64_t>>;
    const Offsets& starts() const { return starts_; }

    bool isSelected(std::size_t row) const { return (selected_[row >> 6] >> (row & 63)) & 1; }
    void setSelected(std::size_t row, bool on) {
        const std::uint64_t bit = std::uint64_t(1) << (row & 63);
        on ? selected_[row >> 6] |= bit : selected_[row >> 6] &= ~bit;
    }
    // Sets rows first..last (inclusive, in either order) to on.
    void setRangeSelected(std::size_t first, std::size_t last, bool on);
    void clearSelection();
    // The selection as it is stored (one bit per row), to be put back as it was.
    const std::vector<std::uint64_t>& selectionWords() const { return selected_; }
    void setSelectionWords(std::vector<std::uint64_t> words) { selected_ = std::move(words); }
    std::size_t selectedCount() const;

    // Calls f(row) for every selected row, in ascending order; f returns false to stop.
    template <typename F> bool forEachSelected(F f) const {
        for (std::size_t w = 0; w < selected_.size(); ++w)
            for (std::uint64_t bits = selected_[w]; bits != 0; bits &= bits - 1)
                if (!f(w * 64 + std::size_t(std::countr_zero(bits))))
                    return false;
        return true;
    }

    // Line ends seen while indexing: every CR, every LF, and the CRs an LF follows.
    struct LineEndCounts {
        std::uint64_t cr = 0, lf = 0, crlf = 0;
    };

  private:
    void readHeader(const char* data, std::size_t size, std::size_t expectedSize);
    void scan(const char* data, std::size_t to);
    void restartIndex(LineEndStyle style);
    LineEndStyle styleOfCounts() const;

    ByteBuffer bytes_;
    Offsets starts_{0};
    std::vector<std::uint64_t> selected_;
    TextFormat format_;
    // While indexing:
    std::size_t scanned_ = 0; // bytes searched for terminators so far
    std::size_t expected_ = 0;
    bool headerRead_ = false; // whether the byte order mark was looked for
    bool styleChosen_ = false;
    LineEndCounts counts_;
    utf8::Census census_;
    std::uint64_t generation_ = 0;
};
