// Arbitrary file bytes and needle: loading splits rows exactly as a plain reference splitter
// does, and the search selects exactly the rows whose decoded text contains the needle.
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "search/StrSearch.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Rows end at CR or CR LF; a terminator at the very end makes no extra row.
std::vector<QByteArray> referenceRows(const QByteArray& bytes) {
    std::vector<QByteArray> rows;
    QByteArray row;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            rows.push_back(row);
            row.clear();
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            row += bytes[i];
        }
    }
    if (!row.isEmpty())
        rows.push_back(row);
    return rows;
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
    LineStore store;
    if (text_read(path, store) != 0)
        std::abort();
    const std::vector<QByteArray> expected = referenceRows(bytes);
    if (store.rowCount() != expected.size())
        std::abort();
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (store.rowBytes(i).toByteArray() != expected[i])
            std::abort();

    const std::size_t found = StrSearch(needle, store);
    std::size_t reference = 0;
    for (std::size_t i = 0; i < store.rowCount(); ++i) {
        const QString text = store.rowText(i);
        const bool hit = !text.isEmpty() && text.contains(needle);
        reference += hit;
        if (store.isSelected(i) != hit)
            std::abort();
    }
    if (found != reference)
        std::abort();
    return 0;
}
