#pragma once
// UTF-16 text files, little- or big-endian: rows end on 16-bit units, so a 0x0D or 0x0A byte
// inside a character (」 is 0D 30 in UTF-16LE) ends nothing.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <optional>

namespace utf16 {

// The unit at p (two bytes).
inline char16_t unitAt(const char* p, bool bigEndian) {
    const auto b0 = static_cast<unsigned char>(p[0]), b1 = static_cast<unsigned char>(p[1]);
    return bigEndian ? char16_t(b0 << 8 | b1) : char16_t(b1 << 8 | b0);
}

// Decodes bytes; an unpaired surrogate and an odd last byte each become U+FFFD. At most
// maxUnits UTF-16 units are returned.
QString decode(const char* data, std::size_t size, bool bigEndian,
               std::size_t maxUnits = std::size_t(-1));
QByteArray encode(QStringView text, bool bigEndian);

// Whether text with no byte order mark is UTF-16 as its zero bytes show: mostly-ASCII text
// has a zero high byte in most units and almost no zero low byte. Returns true for
// little-endian, false for big-endian, nullopt when the bytes do not look so.
std::optional<bool> guessWithoutMark(const char* data, std::size_t size);

} // namespace utf16
