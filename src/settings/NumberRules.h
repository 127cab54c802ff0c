#pragma once
// The runtime's rules for numbers in text: the lenient reading (Val), the strict conversion,
// and the print-statement form in which numbers are written.
#include "system/RuntimeError.h"

#include <QByteArray>
#include <QByteArrayView>

namespace numbers {

// Val: the longest leading number, blanks, tabs and line feeds skipped anywhere; 0 when there is
// none. *error (when given) receives Overflow or None.
double val(QByteArrayView text, ErrorCode* error = nullptr);

// The strict conversion to single precision: surrounding blanks, a sign, digits with "." and an
// exponent, nothing else. Returns false with *error set (TypeMismatch or Overflow) otherwise.
bool toSingleStrict(QByteArrayView text, float* out, ErrorCode* error);

// Single precision from a double; false (Overflow) when out of range.
bool toSingle(double value, float* out);

enum Precision { Single = 7, Double = 15 };

// The print-statement form: " 1 ", "-1 ", " 9.75 ", " 1E+07 ".
QByteArray printForm(double value, Precision precision);

// The same without the trailing blank (" 9.75"), as the status bar shows sizes.
QByteArray printFormTrimmed(double value, Precision precision);

} // namespace numbers

namespace numbers {
// A font size as the status bar shows it: " 9pts.", " 9.75pts.".
inline QByteArray fontSizeText(double points) {
    return printFormTrimmed(points, Single) + "pts.";
}
} // namespace numbers
