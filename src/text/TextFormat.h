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
enum class TextEncoding { Cp932, Utf8 };

struct TextFormat {
    LineEndStyle lineEnd = LineEndStyle::Cr;
    TextEncoding encoding = TextEncoding::Cp932;
    friend bool operator==(const TextFormat&, const TextFormat&) = default;
};

// What ends a row written out in this style.
QByteArrayView lineTerminator(LineEndStyle style);

// Decodes a row; at most maxUnits UTF-16 units are returned.
QString decodeText(TextEncoding encoding, const char* data, std::size_t size,
                   std::size_t maxUnits = std::size_t(-1));

// Encodes a typed line. Code page 932 first maps the variants input methods type (WAVE DASH,
// MINUS SIGN, ...) to the characters it has; a character it still lacks makes the result
// empty, with its position in the mapped text in *badIndex and that text in *mapped.
std::optional<QByteArray> encodeText(TextEncoding encoding, QStringView text,
                                     qsizetype* badIndex = nullptr, QString* mapped = nullptr);
