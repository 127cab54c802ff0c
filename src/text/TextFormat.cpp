#include "TextFormat.h"

#include "Cp932.h"
#include "Jis.h"
#include "Utf16.h"
#include "Utf8.h"

#include <algorithm>
#include <cstring>

QByteArrayView lineTerminator(LineEndStyle style) {
    return style == LineEndStyle::Lf ? QByteArrayView("\n", 1) : QByteArrayView("\r\n", 2);
}

QByteArrayView lineTerminator(TextFormat format) {
    const bool lf = format.lineEnd == LineEndStyle::Lf;
    switch (format.encoding) {
    case TextEncoding::Utf16Le:
        return lf ? QByteArrayView("\n\0", 2) : QByteArrayView("\r\0\n\0", 4);
    case TextEncoding::Utf16Be:
        return lf ? QByteArrayView("\0\n", 2) : QByteArrayView("\0\r\0\n", 4);
    default:
        return lineTerminator(format.lineEnd);
    }
}

QByteArrayView byteOrderMark(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf16Le:
        return QByteArrayView("\xff\xfe", 2);
    case TextEncoding::Utf16Be:
        return QByteArrayView("\xfe\xff", 2);
    default:
        return {};
    }
}

QString encodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Cp932:
        return QStringLiteral("シフトJIS");
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::EucJp:
        return QStringLiteral("EUC-JP");
    case TextEncoding::Iso2022Jp:
        return QStringLiteral("JIS");
    case TextEncoding::Utf16Le:
        return QStringLiteral("UTF-16LE");
    case TextEncoding::Utf16Be:
        return QStringLiteral("UTF-16BE");
    }
    return {};
}

QString formatName(TextFormat format) {
    return encodingName(format.encoding) +
           (format.lineEnd == LineEndStyle::Lf ? QStringLiteral(" LF") : QStringLiteral(" CRLF"));
}

QString decodeText(TextEncoding encoding, const char* data, std::size_t size,
                   std::size_t maxUnits) {
    switch (encoding) {
    case TextEncoding::Cp932:
        return cp932::decode(data, size, maxUnits);
    case TextEncoding::EucJp:
        return jis::decodeEucJp(data, size, maxUnits);
    case TextEncoding::Iso2022Jp:
        return jis::decodeIso2022Jp(data, size, maxUnits);
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        return utf16::decode(data, size, encoding == TextEncoding::Utf16Be, maxUnits);
    case TextEncoding::Utf8:
        break;
    }
    return utf8::decode(data, size, maxUnits);
}

std::size_t pieceEnd(TextEncoding encoding, const char* data, std::size_t size, std::size_t want) {
    want = std::max<std::size_t>(want, 4);
    if (size <= want)
        return size;
    const auto* b = reinterpret_cast<const unsigned char*>(data);
    std::size_t at = 0;
    switch (encoding) {
    case TextEncoding::Cp932:
        while (at < want)
            at += cp932::unitLength(data + at, data + size);
        return at;
    case TextEncoding::EucJp:
        while (at < want)
            at += jis::eucLength(b + at, b + size);
        return at;
    case TextEncoding::Utf8:
        // Before a byte that continues no sequence (or after three that do: a stray one).
        for (at = want; at > want - 3 && (b[at] & 0xC0) == 0x80; --at) {
        }
        return (b[at] & 0xC0) == 0x80 ? want : at;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        at = want & ~std::size_t(1);
        // A high surrogate stays with what follows it.
        if ((utf16::unitAt(data + at - 2, encoding == TextEncoding::Utf16Be) & 0xFC00) == 0xD800)
            at -= 2;
        return at;
    case TextEncoding::Iso2022Jp:
        // Before an escape sequence, which sets the character set whatever came before.
        for (at = want; at + 3 <= size; ++at) {
            const char* found = static_cast<const char*>(std::memchr(data + at, 0x1B, size - at));
            if (!found || found + 3 > data + size)
                break;
            at = std::size_t(found - data);
            if ((b[at + 1] == '(' && (b[at + 2] == 'B' || b[at + 2] == 'J')) ||
                (b[at + 1] == '$' && (b[at + 2] == 'B' || b[at + 2] == '@')))
                return at;
        }
        return size;
    }
    return size;
}

QString toEncodingVariants(TextEncoding encoding, QStringView text) {
    switch (encoding) {
    case TextEncoding::Cp932:
        return cp932::toCp932Variants(text);
    case TextEncoding::EucJp:
    case TextEncoding::Iso2022Jp:
        return jis::toJisVariants(text, encoding == TextEncoding::Iso2022Jp);
    default:
        return text.toString();
    }
}

std::optional<QByteArray> encodeText(TextEncoding encoding, QStringView text, qsizetype* badIndex,
                                     QString* mapped) {
    QString variants = toEncodingVariants(encoding, text);
    std::optional<QByteArray> bytes;
    switch (encoding) {
    case TextEncoding::Cp932:
        bytes = cp932::encode(variants, badIndex);
        break;
    case TextEncoding::Utf8:
        bytes = variants.toUtf8();
        break;
    case TextEncoding::EucJp:
        bytes = jis::encodeEucJp(variants, badIndex);
        break;
    case TextEncoding::Iso2022Jp:
        bytes = jis::encodeIso2022Jp(variants, badIndex);
        break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        bytes = utf16::encode(variants, encoding == TextEncoding::Utf16Be);
        break;
    }
    if (mapped)
        *mapped = std::move(variants);
    return bytes;
}
