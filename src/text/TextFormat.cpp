#include "TextFormat.h"

#include "Cp932.h"
#include "Jis.h"
#include "Utf16.h"
#include "Utf8.h"

#include <algorithm>

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
