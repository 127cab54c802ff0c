#include "CopyRows.h"

#include "LineStore.h"
#include "platform/Cp932.h"
#include "platform/Utf8.h"

#include <algorithm>

QByteArray selectedRowsAsUtf8(const LineStore& rows) {
    std::size_t bytes = 0;
    rows.forEachSelected([&](std::size_t row) {
        bytes += std::size_t(rows.rowBytes(row).size()) + 1;
        return true;
    });
    // Room for the most a byte can become (three bytes of UTF-8); what is not used is given back.
    QByteArray out(qsizetype(3 * bytes), Qt::Uninitialized);
    char* w = out.data();
    const bool utf8 = rows.format().encoding == TextEncoding::Utf8;
    rows.forEachSelected([&](std::size_t row) {
        const QByteArrayView b = rows.rowBytes(row);
        if (!utf8) {
            w = cp932::toUtf8(b.data(), std::size_t(b.size()), w);
        } else if (utf8::wellFormed(reinterpret_cast<const unsigned char*>(b.data()),
                                    std::size_t(b.size()))) {
            w = std::copy(b.begin(), b.end(), w); // a well-formed row is its own text
        } else {
            const QByteArray text = rows.rowText(row).toUtf8(); // broken bytes become U+FFFD
            w = std::copy(text.begin(), text.end(), w);
        }
        *w++ = '\n';
        return true;
    });
    out.truncate(w - out.data());
    out.squeeze();
    return out;
}
