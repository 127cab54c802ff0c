#include "TextFormat.h"

#include "Cp932.h"

#include <algorithm>

QByteArrayView lineTerminator(LineEndStyle style) {
    return style == LineEndStyle::Lf ? QByteArrayView("\n", 1) : QByteArrayView("\r\n", 2);
}

QString decodeText(TextEncoding encoding, const char* data, std::size_t size,
                   std::size_t maxUnits) {
    if (encoding == TextEncoding::Cp932)
        return cp932::decode(data, size, maxUnits);
    // A byte never gives more than one UTF-16 unit, and four bytes give at least one, so four
    // bytes a unit are enough to fill maxUnits.
    const std::size_t take = maxUnits >= size / 4 ? size : maxUnits * 4;
    QString text = QString::fromUtf8(data, qsizetype(take));
    if (std::size_t(text.size()) > maxUnits)
        text.truncate(qsizetype(maxUnits));
    return text;
}

std::optional<QByteArray> encodeText(TextEncoding encoding, QStringView text, qsizetype* badIndex,
                                     QString* mapped) {
    if (encoding == TextEncoding::Utf8) {
        if (mapped)
            *mapped = text.toString();
        return text.toUtf8();
    }
    QString variants = cp932::toCp932Variants(text);
    auto bytes = cp932::encode(variants, badIndex);
    if (mapped)
        *mapped = std::move(variants);
    return bytes;
}
