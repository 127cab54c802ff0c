#pragma once
// Code page 932 (Shift-JIS with the NEC and IBM extensions): the encoding of KARVEL.INI and of
// every text file the program reads that is not told to be UTF-8 (see Utf8.h).
//
// Text is handled as a sequence of units: one byte, or a lead byte followed by a trail byte.
// Each unit decodes to exactly one UTF-16 code unit; units that code page 932 does not map
// decode to U+FFFD. The search and the display both walk rows unit by unit, so "the decoded
// text" means the same thing everywhere.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <optional>

namespace cp932 {

inline constexpr char16_t kInvalid = 0xFFFD;

inline bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
inline bool isTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Length in bytes (1 or 2) of the unit that starts at p; p < end.
inline std::size_t unitLength(const char* p, const char* end) {
    return (isLeadByte(static_cast<unsigned char>(p[0])) && p + 1 < end &&
            isTrailByte(static_cast<unsigned char>(p[1])))
               ? 2
               : 1;
}

// The character of a one- or two-byte unit (kInvalid when unmapped).
char16_t decodeUnit(const char* p, std::size_t length);

// Decodes bytes. At most maxUnits units are decoded (the rest is ignored).
QString decode(const char* data, std::size_t size, std::size_t maxUnits = std::size_t(-1));
inline QString decode(const QByteArray& bytes) {
    return decode(bytes.constData(), bytes.size());
}

// Writes the text of data[0, size) as UTF-8 to out (room for three bytes a byte and one more),
// returning the end of what was written: the same text decode gives, without a string for it.
char* toUtf8(const char* data, std::size_t size, char* out);

// The bytes that decode to c: up to three forms (some characters have two or three), the
// preferred form first. Returns the number of forms written to out (0: no form).
struct Form {
    unsigned char bytes[2];
    unsigned char length;
};
int formsOf(char16_t c, Form out[3]);

// Maps the usual Unicode variants that Linux input methods produce (WAVE DASH, MINUS SIGN, ...)
// to the characters code page 932 has.
QString toCp932Variants(QStringView text);

// Encodes text; on a character without a code page 932 form, returns nullopt and stores its
// position in *badIndex.
std::optional<QByteArray> encode(QStringView text, qsizetype* badIndex = nullptr);

// Encodes text, writing '?' for characters without a form (for settings values only).
QByteArray encodeLossy(QStringView text);

// How a file name (held as FileIO.h describes) reads: each part of the path that is not UTF-8
// as code page 932 where that decodes it whole (the names a Windows archive unpacks to), else
// with U+FFFD for the bytes that are not UTF-8.
QString fileNameText(const QString& name);

} // namespace cp932
