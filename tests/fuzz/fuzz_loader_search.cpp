// Arbitrary file bytes and needle: loading decides the line-end style and the encoding and
// splits rows exactly as a plain reference does, and the search selects exactly the rows whose
// decoded text contains the needle (in code page 932 after the input-method variants are
// mapped, in UTF-8 as exact code points).
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "search/StrSearch.h"
#include "support/ReferenceText.h"
#include "text/Cp932.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <vector>

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
    LineStore store;
    if (text_read(path, store).error)
        std::abort();
    if (store.format().lineEnd != reference::styleOf(bytes) ||
        store.format().encoding != reference::encodingOf(bytes))
        std::abort();
    const std::vector<QByteArray> expected = reference::rowsOf(bytes);
    if (store.rowCount() != expected.size())
        std::abort();
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (store.rowBytes(i).toByteArray() != expected[i])
            std::abort();

    const std::size_t found = StrSearch(needle, store);
    const bool utf8 = store.format().encoding == TextEncoding::Utf8;
    const QString decodedNeedle = utf8 ? needle : cp932::toCp932Variants(needle);
    std::size_t expectedCount = 0;
    for (std::size_t i = 0; i < store.rowCount(); ++i) {
        // Code points compare exactly in UTF-8: the row's bytes hold the needle's UTF-8 form.
        const bool hit =
            utf8 ? !store.rowBytes(i).isEmpty() &&
                       QByteArrayView(store.rowBytes(i)).indexOf(needle.toUtf8()) >= 0
                 : !store.rowText(i).isEmpty() && store.rowText(i).contains(decodedNeedle);
        expectedCount += hit;
        if (store.isSelected(i) != hit)
            std::abort();
    }
    if (found != expectedCount)
        std::abort();
    return 0;
}
