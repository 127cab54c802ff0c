#pragma once
// Tells UTF-8 text from the other encodings by counting, over a file read in pieces, the valid
// multi-byte UTF-8 sequences and the invalid ones. Code page 932 and EUC-JP Japanese give at
// most about one valid sequence per two invalid ones (a single line at most two), while
// UTF-8 read so gives seventy and more: a damaged UTF-8 file keeps a broken character or a
// stray line in another encoding, and stays UTF-8.
#include <QString>
#include <cstddef>
#include <cstdint>

namespace utf8 {

inline bool hasByteOrderMark(const char* data, std::size_t size) {
    return size >= 3 && static_cast<unsigned char>(data[0]) == 0xEF &&
           static_cast<unsigned char>(data[1]) == 0xBB &&
           static_cast<unsigned char>(data[2]) == 0xBF;
}

struct Counts {
    std::uint64_t valid = 0;   // well-formed sequences of two to four bytes
    std::uint64_t invalid = 0; // ill-formed sequences, each as one replacement character
    std::uint64_t cut = 0;     // a sequence cut by the end of the data (final only)
};

// Counts the sequences in data[0, size). Without final, stops before a sequence that the end
// may have cut and returns where it stopped; with final, such a sequence counts as cut and the
// whole range is counted. A sequence is invalid as its longest well-formed prefix (or one
// byte), the way a decoder replaces it.
std::size_t countSequences(const unsigned char* data, std::size_t size, bool final, Counts& counts);

// Decodes bytes, each invalid sequence (as countSequences counts it) as one U+FFFD; at most
// maxUnits UTF-16 units are returned.
QString decode(const char* data, std::size_t size, std::size_t maxUnits = std::size_t(-1));

// Whether data[0, size) is well-formed UTF-8, no sequence cut at either end (thirty-two bytes
// at a time where the processor has AVX2).
bool wellFormed(const unsigned char* data, std::size_t size);

// The counts of a whole file fed in pieces: feed(data, size) with every byte read so far,
// then finish(data, size) once the file is read.
class Census {
  public:
    // expectedSize: the file's size, when known (0: unknown), so that a file that can no
    // longer be UTF-8 is counted no further.
    void begin(std::size_t start, std::size_t expectedSize);
    void feed(const char* data, std::size_t size) { run(data, size, false); }
    void finish(const char* data, std::size_t size) { run(data, size, true); }

    const Counts& counts() const { return counts_; }
    // At least four valid sequences per invalid one, and at least one valid or cut: a file
    // cut inside a character is still UTF-8. A file that misses the ratio at its first
    // kDecisiveInvalid invalid sequences is counted no further (ruledOut).
    bool looksLikeUtf8() const {
        return counts_.valid + counts_.cut > 0 &&
               counts_.invalid * kValidPerInvalid <= counts_.valid;
    }
    // Whether the counts so far already rule UTF-8 out.
    bool ruledOut() const { return settled_; }
    static constexpr std::uint64_t kValidPerInvalid = 4;
    // Invalid sequences enough to rule UTF-8 out where the ratio is missed so far.
    static constexpr std::uint64_t kDecisiveInvalid = 1024;

  private:
    void run(const char* data, std::size_t size, bool final);
    Counts counts_;
    std::size_t pos_ = 0;
    std::size_t expected_ = 0;
    bool settled_ = false;
};

} // namespace utf8
