#include "CopyRows.h"

#include "LineStore.h"
#include "platform/Utf8.h"

QByteArray selectedRowsAsUtf8(const LineStore& rows) {
    QByteArray out;
    std::size_t bytes = 0;
    rows.forEachSelected([&](std::size_t row) {
        bytes += std::size_t(rows.rowBytes(row).size()) + 1;
        return true;
    });
    out.reserve(qsizetype(bytes + bytes / 2)); // code page 932 text grows by half in UTF-8
    const bool utf8 = rows.format().encoding == TextEncoding::Utf8;
    rows.forEachSelected([&](std::size_t row) {
        const QByteArrayView b = rows.rowBytes(row);
        // A well-formed UTF-8 row is its own text; anything else goes through the decoder.
        if (utf8 && utf8::wellFormed(reinterpret_cast<const unsigned char*>(b.data()),
                                     std::size_t(b.size())))
            out.append(b);
        else
            out.append(rows.rowText(row).toUtf8());
        out.append('\n');
        return true;
    });
    return out;
}
