// Arbitrary file bytes and needle, read as the bytes say and then forced into every encoding:
// loading decides the line-end style and the encoding and splits rows exactly as a plain
// reference does, EUC-JP, ISO-2022-JP and UTF-16 rows decode as iconv reads them, and the search
// selects exactly the rows whose decoded text contains the needle (after the input-method
// variants are mapped; in UTF-8 as exact code points; half a surrogate pair finds nothing
// outside code page 932 and UTF-8).
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "search/StrSearch.h"
#include "support/ReferenceText.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

bool hasUnpairedSurrogate(const QString& s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
        else if (s[i].isSurrogate())
            return true;
    }
    return false;
}

void checkDocument(const QString& path, const QByteArray& bytes, const QString& needle,
                   std::optional<TextFormat> forced) {
    LineStore store;
    check(!text_read(path, store, nullptr, forced).error);
    const TextFormat format = store.format();
    if (forced) {
        check(format == *forced);
    } else {
        const auto encoding = reference::encodingOf(bytes);
        check(encoding ? format.encoding == *encoding
                       : format.encoding == TextEncoding::EucJp ||
                             format.encoding == TextEncoding::Cp932);
        check(format.lineEnd == reference::styleOf(bytes, format.encoding));
    }
    const std::vector<QByteArray> expected = reference::rowsOf(bytes, format);
    check(store.rowCount() == expected.size());
    const bool textChecked = format.encoding == TextEncoding::EucJp ||
                             format.encoding == TextEncoding::Iso2022Jp || isUtf16(format.encoding);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        check(store.rowBytes(i).toByteArray() == expected[i]);
        if (textChecked)
            if (const auto text = reference::textOf(expected[i], format.encoding))
                check(store.rowText(i) == *text);
    }

    const std::size_t found = StrSearch(needle, store);
    const bool utf8 = format.encoding == TextEncoding::Utf8;
    const QString mapped = toEncodingVariants(format.encoding, needle);
    const bool none =
        format.encoding != TextEncoding::Cp932 && !utf8 && hasUnpairedSurrogate(mapped);
    std::size_t expectedCount = 0;
    for (std::size_t i = 0; i < store.rowCount(); ++i) {
        // Code points compare exactly in UTF-8: the row's bytes hold the needle's UTF-8 form.
        const bool hit =
            utf8 ? !store.rowBytes(i).isEmpty() &&
                       QByteArrayView(store.rowBytes(i)).indexOf(needle.toUtf8()) >= 0
                 : !none && !store.rowText(i).isEmpty() && store.rowText(i).contains(mapped);
        expectedCount += hit;
        check(store.isSelected(i) == hit);
    }
    check(found == expectedCount);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    // First byte: the needle's length in UTF-16 units, taken from the bytes that follow.
    const std::size_t units = std::min<std::size_t>(data[0] % 8, (size - 1) / 2);
    QString needle;
    for (std::size_t i = 0; i < units; ++i)
        needle += QChar(char16_t(data[1 + 2 * i] | (data[2 + 2 * i] << 8)));
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1 + 2 * units,
                           qsizetype(size - 1 - 2 * units));

    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.txt"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(bytes);
    }
    checkDocument(path, bytes, needle, std::nullopt);
    // Forced: the style the first byte picks, each encoding in turn.
    const LineEndStyle style = data[0] & 0x80 ? LineEndStyle::Lf : LineEndStyle::Cr;
    for (TextEncoding e : {TextEncoding::Cp932, TextEncoding::Utf8, TextEncoding::EucJp,
                           TextEncoding::Iso2022Jp, TextEncoding::Utf16Le, TextEncoding::Utf16Be})
        checkDocument(path, bytes, needle, TextFormat{style, e});
    return 0;
}
