#pragma once
// A plain, slow reading of a text file's bytes to check the loader against: the line-end style
// and the encoding decided by counting, then rows split byte by byte.
#include "text/TextFormat.h"
#include "text/Utf8.h"

#include <QByteArray>
#include <vector>

namespace reference {

inline bool hasBom(const QByteArray& bytes) {
    return bytes.startsWith("\xef\xbb\xbf");
}

// LF style when more lines end in a lone LF than in a CR (alone or before an LF).
inline LineEndStyle styleOf(const QByteArray& bytes) {
    std::size_t loneLf = 0, cr = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        cr += bytes[i] == '\r';
        loneLf += bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
    }
    return loneLf > cr ? LineEndStyle::Lf : LineEndStyle::Cr;
}

inline TextEncoding encodingOf(const QByteArray& bytes) {
    if (hasBom(bytes))
        return TextEncoding::Utf8;
    utf8::Counts c;
    utf8::countSequences(reinterpret_cast<const unsigned char*>(bytes.constData()),
                         std::size_t(bytes.size()), true, c);
    return c.valid > 0 && c.invalid * 1000 <= c.valid ? TextEncoding::Utf8 : TextEncoding::Cp932;
}

// The rows: in CR style a row ends at CR or CR LF, in LF style at LF or CR LF; a terminator
// at the very end makes no extra row; a byte order mark belongs to no row.
inline std::vector<QByteArray> rowsOf(const QByteArray& bytes) {
    const bool lf = styleOf(bytes) == LineEndStyle::Lf;
    std::vector<QByteArray> rows;
    QByteArray row;
    for (qsizetype i = hasBom(bytes) ? 3 : 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const bool crlf = c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
        if (crlf || c == (lf ? '\n' : '\r')) {
            rows.push_back(row);
            row.clear();
            i += crlf;
        } else {
            row += c;
        }
    }
    if (!row.isEmpty())
        rows.push_back(row);
    return rows;
}

} // namespace reference
