#pragma once
// Decides a file's encoding from its bytes while it is read in pieces, alongside the indexing
// of its rows. UTF-16 is told earlier, from the byte order mark or the first bytes (its rows
// split differently); this census tells the byte encodings apart:
//   - no byte above 0x7F: ISO-2022-JP when an escape sequence switches to a JIS set, otherwise
//     plain ASCII, which reads the same in all (UTF-8 for LF-style line ends, code page 932
//     otherwise);
//   - UTF-8 when its valid multi-byte sequences outnumber the invalid ones four to one;
//   - otherwise EUC-JP or code page 932, whichever reading scores higher: every character of
//     two or more bytes counts, kana and Japanese punctuation count twice, every invalid
//     sequence costs eight (code page 932's half-width katakana count a quarter: EUC-JP read
//     as code page 932 is half-width katakana throughout).
#include "TextFormat.h"
#include "Utf8.h"

#include <cstddef>
#include <cstdint>

class EncodingCensus {
  public:
    struct Scores {
        std::int64_t eucJp = 0, cp932 = 0; // in quarters
    };

    // start: where the text begins (after a byte order mark); expectedSize: the file's size
    // when known (0: unknown).
    void begin(std::size_t start, std::size_t expectedSize);
    // Every byte read so far, then once the whole file.
    void feed(const char* data, std::size_t size) { run(data, size, false); }
    void finish(const char* data, std::size_t size) { run(data, size, true); }
    // After finish: the encoding the bytes show, given the file's line-end style.
    TextEncoding decide(LineEndStyle style) const;

    const utf8::Counts& utf8Counts() const { return utf8_.counts(); }
    const Scores& scores() const { return scores_; }

    // A lead this large decides between EUC-JP and code page 932; counting stops there.
    static constexpr std::int64_t kDecisiveLead = std::int64_t(4) << 16;

  private:
    void run(const char* data, std::size_t size, bool final);
    bool highBytesSeen() const {
        const utf8::Counts& c = utf8_.counts();
        return utf8_.ruledOut() || c.valid + c.invalid + c.cut > 0;
    }

    utf8::Census utf8_;
    Scores scores_;
    std::size_t eucPos_ = 0, cp932Pos_ = 0, escapePos_ = 0;
    bool jisEscape_ = false;
};
