#include "Utf16.h"

namespace utf16 {

QString decode(const char* data, std::size_t size, bool bigEndian, std::size_t maxUnits) {
    QString out;
    const std::size_t units = size / 2;
    out.reserve(qsizetype(std::min(units + 1, maxUnits)));
    std::size_t i = 0;
    while (i < units && std::size_t(out.size()) < maxUnits) {
        const char16_t u = unitAt(data + 2 * i, bigEndian);
        if (QChar::isHighSurrogate(u) && i + 1 < units &&
            QChar::isLowSurrogate(unitAt(data + 2 * i + 2, bigEndian))) {
            out.append(QChar(u));
            out.append(QChar(unitAt(data + 2 * i + 2, bigEndian)));
            i += 2;
            continue;
        }
        out.append(QChar(QChar::isSurrogate(u) ? char16_t(0xFFFD) : u));
        ++i;
    }
    if (size % 2 != 0 && i == units && std::size_t(out.size()) < maxUnits)
        out.append(QChar(0xFFFD));
    if (std::size_t(out.size()) > maxUnits)
        out.truncate(qsizetype(maxUnits));
    return out;
}

QByteArray encode(QStringView text, bool bigEndian) {
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        out[2 * i + (bigEndian ? 1 : 0)] = char(u & 0xFF);
        out[2 * i + (bigEndian ? 0 : 1)] = char(u >> 8);
    }
    return out;
}

std::optional<bool> guessWithoutMark(const char* data, std::size_t size) {
    std::size_t zeroHigh[2] = {0, 0}; // units with only their even / odd byte zero
    const std::size_t units = size / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const bool z0 = data[2 * i] == 0, z1 = data[2 * i + 1] == 0;
        if (z0 != z1)
            ++zeroHigh[z1 ? 0 : 1];
    }
    // Little-endian ASCII is "A 00": its odd bytes are zero.
    for (int e = 0; e < 2; ++e)
        if (zeroHigh[e] >= 2 && zeroHigh[e] * 3 >= units && zeroHigh[1 - e] * 16 <= zeroHigh[e])
            return e == 0;
    return std::nullopt;
}

} // namespace utf16
