#pragma once
// A text file's line-end style and encoding, decided once from its bytes when it is read, and
// the one place that turns a row's bytes into text and typed text into a line's bytes.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <optional>

// Cr: a row ends at CR or CR LF and a lone LF stays inside it (files made on Windows,
// spreadsheet exports with line breaks inside cells); rows are written with CR LF.
// Lf: a row ends at LF or CR LF and a lone CR stays inside it; rows are written with LF.
enum class LineEndStyle { Cr, Lf };
// Utf8 with or without a byte order mark; Utf16Le and Utf16Be with one or, for mostly-ASCII
// text, without.
enum class TextEncoding { Cp932, Utf8, EucJp, Iso2022Jp, Utf16Le, Utf16Be };

struct TextFormat {
    LineEndStyle lineEnd = LineEndStyle::Cr;
    TextEncoding encoding = TextEncoding::Cp932;
    friend bool operator==(const TextFormat&, const TextFormat&) = default;
};

inline bool isUtf16(TextEncoding e) {
    return e == TextEncoding::Utf16Le || e == TextEncoding::Utf16Be;
}

// What ends a row written out in this format: CR LF or LF, in the encoding (four or two bytes
// in UTF-16).
QByteArrayView lineTerminator(TextFormat format);
QByteArrayView lineTerminator(LineEndStyle style);
// The byte order mark an output file of this encoding starts with (empty: none).
QByteArrayView byteOrderMark(TextEncoding encoding);
// The encoding as the program names it: "シフトJIS", "EUC-JP", "JIS", "UTF-16LE", ...
QString encodingName(TextEncoding encoding);
// The format as the status bar names it: "シフトJIS CRLF", "UTF-16LE LF", ...
QString formatName(TextFormat format);

// Decodes a row; at most maxUnits UTF-16 units are returned.
QString decodeText(TextEncoding encoding, const char* data, std::size_t size,
                   std::size_t maxUnits = std::size_t(-1));

// Where a row's bytes data[0, size) may be cut at about want bytes (never at 0 when size > 0):
// the two parts decoded apart give the text the whole gives. size when it is no longer than
// want; in ISO-2022-JP a cut is made only before an escape sequence, so a row without one
// further on is not cut.
std::size_t pieceEnd(TextEncoding encoding, const char* data, std::size_t size, std::size_t want);

// Typed text as the encoding can hold it: the variants input methods type (WAVE DASH, MINUS
// SIGN, ...) mapped to the characters code page 932 has, and in the JIS encodings the
// characters they lack to their JIS X 0208 twins. The search looks for this text.
QString toEncodingVariants(TextEncoding encoding, QStringView text);

// Encodes a typed line after toEncodingVariants; a character the encoding still lacks makes the
// result empty, with its position in the mapped text in *badIndex and that text in *mapped.
std::optional<QByteArray> encodeText(TextEncoding encoding, QStringView text,
                                     qsizetype* badIndex = nullptr, QString* mapped = nullptr);
