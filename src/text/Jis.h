#pragma once
// EUC-JP and ISO-2022-JP: the two encodings of the JIS character sets.
//
// EUC-JP characters are one byte (ASCII), two (JIS X 0208: two bytes 0xA1..0xFE; half-width
// katakana: 0x8E then 0xA1..0xDF) or three (JIS X 0212: 0x8F then two bytes 0xA1..0xFE). A byte
// that starts no such sequence is one character of its own (a C1 control for 0x80..0x9F but the
// single shifts, as iconv reads them, otherwise U+FFFD), so a byte below 0x80 is always a
// character by itself. ISO-2022-JP is seven-bit: escape sequences switch between ASCII,
// JIS X 0201 Roman and JIS X 0208; each row is read from ASCII.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <optional>

namespace jis {

inline constexpr char16_t kInvalid = 0xFFFD;

inline bool isEucByte(unsigned char b) {
    return b >= 0xA1 && b <= 0xFE;
}

// Length in bytes (1 to 3) of the EUC-JP character that starts at p; p < end.
inline std::size_t eucLength(const unsigned char* p, const unsigned char* end) {
    const unsigned char b = p[0];
    if (b < 0x80)
        return 1;
    if (b == 0x8E)
        return p + 1 < end && p[1] >= 0xA1 && p[1] <= 0xDF ? 2 : 1;
    if (b == 0x8F)
        return p + 2 < end && isEucByte(p[1]) && isEucByte(p[2]) ? 3 : 1;
    return isEucByte(b) && p + 1 < end && isEucByte(p[1]) ? 2 : 1;
}

// The character of an EUC-JP sequence of eucLength bytes (kInvalid when unmapped).
char16_t eucChar(const unsigned char* p, std::size_t length);

// Decodes bytes; at most maxUnits UTF-16 units are returned.
QString decodeEucJp(const char* data, std::size_t size, std::size_t maxUnits = std::size_t(-1));
QString decodeIso2022Jp(const char* data, std::size_t size, std::size_t maxUnits = std::size_t(-1));

// The EUC-JP bytes of c (the preferred form: ASCII, JIS X 0208, half-width katakana, JIS X
// 0212), written to out; returns their count, 0 when c has none. *several: whether another
// sequence decodes to c too.
int eucForm(char16_t c, unsigned char out[3], bool* several = nullptr);

// Replaces each character the encoding lacks by its JIS X 0208 twin, the way input methods and
// Windows programs differ (FULLWIDTH TILDE for WAVE DASH, FULLWIDTH HYPHEN-MINUS for MINUS
// SIGN, ...). iso2022: the ISO-2022-JP repertoire (ASCII and JIS X 0208) instead of EUC-JP's.
QString toJisVariants(QStringView text, bool iso2022);

// Encodes text; on a character the encoding lacks, returns nullopt with its position in
// *badIndex. ISO-2022-JP text ends in ASCII.
std::optional<QByteArray> encodeEucJp(QStringView text, qsizetype* badIndex = nullptr);
std::optional<QByteArray> encodeIso2022Jp(QStringView text, qsizetype* badIndex = nullptr);

// Whether the bytes hold an ISO-2022-JP escape sequence that switches to a JIS set.
bool hasJisEscape(const char* data, std::size_t size);

} // namespace jis
