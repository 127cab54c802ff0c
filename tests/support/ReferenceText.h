#pragma once
// A plain, slow reading of a text file's bytes to check the loader against: the line-end style
// and the encoding decided by counting, rows split byte by byte (unit by unit in UTF-16), and
// text as the system's converter (iconv) reads it.
#include "text/TextFormat.h"
#include "text/Utf8.h"

#include <QByteArray>
#include <QString>
#include <iconv.h>
#include <optional>
#include <vector>

namespace reference {

inline bool hasBom(const QByteArray& bytes) {
    return bytes.startsWith("\xef\xbb\xbf");
}

inline std::size_t unitSize(TextEncoding e) {
    return isUtf16(e) ? 2 : 1;
}

// The line-end character at i, or 0 (in UTF-16 only whole units at even offsets count).
inline char lineEndAt(const QByteArray& bytes, qsizetype i, TextEncoding e) {
    if (!isUtf16(e))
        return bytes[i] == '\r' || bytes[i] == '\n' ? bytes[i] : 0;
    if (i + 1 >= bytes.size())
        return 0;
    const bool be = e == TextEncoding::Utf16Be;
    const char lo = be ? bytes[i + 1] : bytes[i], hi = be ? bytes[i] : bytes[i + 1];
    return hi == 0 && (lo == '\r' || lo == '\n') ? lo : 0;
}

inline qsizetype markSize(const QByteArray& bytes, TextEncoding e) {
    if (e == TextEncoding::Utf8)
        return hasBom(bytes) ? 3 : 0;
    if (e == TextEncoding::Utf16Le)
        return bytes.startsWith("\xff\xfe") ? 2 : 0;
    if (e == TextEncoding::Utf16Be)
        return bytes.startsWith("\xfe\xff") ? 2 : 0;
    return 0;
}

// LF style when more lines end in a lone LF than in a CR (alone or before an LF).
inline LineEndStyle styleOf(const QByteArray& bytes, TextEncoding e = TextEncoding::Cp932) {
    std::size_t loneLf = 0, cr = 0;
    const qsizetype u = qsizetype(unitSize(e));
    for (qsizetype i = markSize(bytes, e); i < bytes.size(); i += u) {
        const char c = lineEndAt(bytes, i, e);
        cr += c == '\r';
        loneLf += c == '\n' && (i == 0 || lineEndAt(bytes, i - u, e) != '\r');
    }
    return loneLf > cr ? LineEndStyle::Lf : LineEndStyle::Cr;
}

// The encoding where the bytes make it plain: a byte order mark; UTF-16 when, in the first
// 4096 bytes, at least a third of the units are ASCII with a zero high byte and the other order
// is sixteen times rarer; no byte above 0x7F: ISO-2022-JP with an escape to a JIS set, otherwise
// UTF-8 for LF line ends and code page 932 for CR; UTF-8 with four valid sequences per invalid
// one. Otherwise nullopt: EUC-JP or code page 932, as their readings score.
inline std::optional<TextEncoding> encodingOf(const QByteArray& bytes) {
    if (hasBom(bytes))
        return TextEncoding::Utf8;
    if (bytes.startsWith("\xff\xfe"))
        return TextEncoding::Utf16Le;
    if (bytes.startsWith("\xfe\xff"))
        return TextEncoding::Utf16Be;
    std::size_t le = 0, be = 0;
    const qsizetype head = std::min<qsizetype>(bytes.size(), 4096) / 2;
    for (qsizetype i = 0; i < head; ++i) {
        le += bytes[2 * i] != 0 && bytes[2 * i + 1] == 0;
        be += bytes[2 * i] == 0 && bytes[2 * i + 1] != 0;
    }
    if (le >= 2 && le * 3 >= std::size_t(head) && be * 16 <= le)
        return TextEncoding::Utf16Le;
    if (be >= 2 && be * 3 >= std::size_t(head) && le * 16 <= be)
        return TextEncoding::Utf16Be;
    bool high = false;
    for (char c : bytes)
        high = high || (c & 0x80);
    if (!high) {
        for (qsizetype i = 0; i + 2 < bytes.size(); ++i)
            if (bytes[i] == '\x1b' &&
                ((bytes[i + 1] == '$' && (bytes[i + 2] == 'B' || bytes[i + 2] == '@')) ||
                 (bytes[i + 1] == '(' && bytes[i + 2] == 'J')))
                return TextEncoding::Iso2022Jp;
        return styleOf(bytes) == LineEndStyle::Lf ? TextEncoding::Utf8 : TextEncoding::Cp932;
    }
    utf8::Counts c;
    utf8::countSequences(reinterpret_cast<const unsigned char*>(bytes.constData()),
                         std::size_t(bytes.size()), true, c);
    if (c.valid + c.cut > 0 && c.invalid * 4 <= c.valid)
        return TextEncoding::Utf8;
    return std::nullopt;
}

// The rows: in CR style a row ends at CR or CR LF, in LF style at LF or CR LF; a terminator
// at the very end makes no extra row; a byte order mark belongs to no row.
inline std::vector<QByteArray> rowsOf(const QByteArray& bytes, TextFormat format) {
    const TextEncoding e = format.encoding;
    const bool lf = format.lineEnd == LineEndStyle::Lf;
    const qsizetype u = qsizetype(unitSize(e));
    std::vector<QByteArray> rows;
    QByteArray row;
    for (qsizetype i = markSize(bytes, e); i < bytes.size(); i += u) {
        const char c = lineEndAt(bytes, i, e);
        const bool crlf = c == '\r' && i + u < bytes.size() && lineEndAt(bytes, i + u, e) == '\n';
        if (crlf || (c != 0 && c == (lf ? '\n' : '\r'))) {
            rows.push_back(row);
            row.clear();
            i += crlf ? u : 0;
        } else {
            row += bytes.mid(i, u);
        }
    }
    if (!row.isEmpty())
        rows.push_back(row);
    return rows;
}
inline std::vector<QByteArray> rowsOf(const QByteArray& bytes) {
    return rowsOf(bytes,
                  {styleOf(bytes), hasBom(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp932});
}

// What iconv reads from bytes in charset, and how many bytes at the end it could not read
// because they stop inside a character (nullopt: it found bytes it cannot read at all).
struct IconvText {
    QString text;
    qsizetype cutBytes = 0;
};
inline std::optional<IconvText> iconvRead(QByteArrayView bytes, const char* charset) {
    iconv_t cd = iconv_open("UTF-16LE", charset);
    if (cd == iconv_t(-1))
        return std::nullopt;
    QByteArray out(bytes.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = std::size_t(bytes.size()), outLeft = std::size_t(out.size());
    char* o = out.data();
    const bool failed = iconv(cd, &in, &inLeft, &o, &outLeft) == std::size_t(-1);
    const int err = errno;
    iconv_close(cd);
    if (failed && err != EINVAL)
        return std::nullopt;
    // Not QString::fromUtf16, which takes a leading U+FEFF or U+FFFE for a byte order mark.
    return IconvText{QString(reinterpret_cast<const QChar*>(out.constData()),
                             (out.size() - qsizetype(outLeft)) / 2),
                     qsizetype(inLeft)};
}

inline const char* charsetOf(TextEncoding e) {
    switch (e) {
    case TextEncoding::Cp932:
        return "CP932";
    case TextEncoding::Utf8:
        return "UTF-8";
    case TextEncoding::EucJp:
        return "EUC-JP";
    case TextEncoding::Iso2022Jp:
        return "ISO-2022-JP";
    case TextEncoding::Utf16Le:
        return "UTF-16LE";
    case TextEncoding::Utf16Be:
        return "UTF-16BE";
    }
    return "";
}

// A row's text as iconv reads it, one character at a time: an EUC-JP character is the bytes
// its ranges take (a lead 0xA1..0xFE and one more such byte, 0x8E and 0xA1..0xDF, 0x8F and two
// 0xA1..0xFE, else one byte); a UTF-16 character one unit or a surrogate pair. What iconv
// cannot read is U+FFFD. ISO-2022-JP and the others: the whole row, or nullopt where iconv
// cannot read it all.
inline std::optional<QString> textOf(QByteArrayView row, TextEncoding e) {
    auto euc = [](unsigned char b) { return b >= 0xA1 && b <= 0xFE; };
    QString text;
    const auto* p = reinterpret_cast<const unsigned char*>(row.data());
    const qsizetype n = row.size();
    if (e != TextEncoding::EucJp && !isUtf16(e)) {
        const auto r = iconvRead(row, charsetOf(e));
        if (!r || r->cutBytes)
            return std::nullopt;
        return r->text;
    }
    for (qsizetype i = 0; i < n;) {
        qsizetype len = 1;
        if (isUtf16(e)) {
            len = i + 1 < n ? 2 : 1;
            const char16_t u = e == TextEncoding::Utf16Le
                                   ? char16_t(p[i] | (i + 1 < n ? p[i + 1] << 8 : 0))
                                   : char16_t(p[i] << 8 | (i + 1 < n ? p[i + 1] : 0));
            if (len == 2 && QChar::isHighSurrogate(u) && i + 3 < n)
                len = 4;
        } else if (p[i] == 0x8E) {
            len = i + 1 < n && p[i + 1] >= 0xA1 && p[i + 1] <= 0xDF ? 2 : 1;
        } else if (p[i] == 0x8F) {
            len = i + 2 < n && euc(p[i + 1]) && euc(p[i + 2]) ? 3 : 1;
        } else if (euc(p[i])) {
            len = i + 1 < n && euc(p[i + 1]) ? 2 : 1;
        }
        auto r = iconvRead(row.sliced(i, len), charsetOf(e));
        if (len == 4 && (!r || r->cutBytes)) {
            len = 2; // a high surrogate without its low one
            r = iconvRead(row.sliced(i, len), charsetOf(e));
        }
        text += r && !r->cutBytes && r->text.size() >= 1 ? r->text : QStringLiteral("\uFFFD");
        i += len;
    }
    return text;
}

} // namespace reference
