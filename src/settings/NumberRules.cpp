#include "NumberRules.h"

#include "system/RuntimeError.h"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace numbers {
namespace {

bool isSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
// strtod in the C locale: numbers read the same whatever LC_NUMERIC the desktop sets ("9.75"
// is not 9 under a locale whose decimal point is a comma).
double toDouble(const std::string& s) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(s.c_str(), nullptr, c);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads "&H..." / "&O..." after the "&". 1 to 4 hex digits (or an octal value of 16 bits) are a
// 16-bit signed value unless a trailing "&" asks for 32 bits.
double radixValue(const char*& p, const char* end) {
    const char kind = char(std::toupper(static_cast<unsigned char>(*p)));
    const int base = kind == 'H' ? 16 : 8;
    ++p;
    unsigned long long v = 0;
    int digits = 0;
    for (; p < end; ++p) {
        if (isSkipped(*p))
            continue;
        int d = -1;
        char c = char(std::toupper(static_cast<unsigned char>(*p)));
        if (isDigit(c))
            d = c - '0';
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0 || d >= base || digits == (base == 16 ? 8 : 11))
            break;
        v = v * base + unsigned(d);
        ++digits;
    }
    bool long32 = p < end && *p == '&';
    if (!long32 && (base == 16 ? digits <= 4 : v <= 0xFFFF))
        return double(int16_t(uint16_t(v)));
    return double(int32_t(uint32_t(v)));
}

} // namespace

double val(QByteArrayView text, ErrorCode* error) {
    if (error)
        *error = ErrorCode::None;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && isSkipped(*p))
        ++p;
    if (p + 1 < end && *p == '&') {
        char k = char(std::toupper(static_cast<unsigned char>(p[1])));
        if (k == 'H' || k == 'O') {
            ++p;
            return radixValue(p, end);
        }
    }
    std::string s;
    if (p < end && (*p == '+' || *p == '-'))
        s += *p++;
    bool mantissa = false, point = false;
    for (; p < end; ++p) {
        if (isSkipped(*p))
            continue;
        if (isDigit(*p)) {
            s += *p;
            mantissa = true;
        } else if (*p == '.' && !point) {
            s += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!mantissa)
        return 0;
    if (p < end && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D')) {
        std::string exp = "e";
        const char* q = p + 1;
        while (q < end && isSkipped(*q))
            ++q;
        if (q < end && (*q == '+' || *q == '-'))
            exp += *q++;
        bool expDigits = false;
        for (; q < end; ++q) {
            if (isSkipped(*q))
                continue;
            if (!isDigit(*q))
                break;
            exp += *q;
            expDigits = true;
        }
        if (expDigits)
            s += exp;
    }
    const char* first = s.data() + (s[0] == '+' ? 1 : 0);
    double v = 0;
    auto [ptr, ec] = std::from_chars(first, s.data() + s.size(), v);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as (nearly) 0; only a too large magnitude is an overflow.
        v = toDouble(s);
        if (std::isinf(v)) {
            if (error)
                *error = ErrorCode::Overflow;
            return 0;
        }
    }
    return v;
}

bool toSingle(double value, float* out) {
    if (!std::isfinite(value) || std::abs(value) > double(FLT_MAX))
        return false;
    *out = float(value);
    return true;
}

bool toSingleStrict(QByteArrayView text, float* out, ErrorCode* error) {
    qsizetype b = 0, e = text.size();
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (b < e && blank(text[b]))
        ++b;
    while (e > b && blank(text[e - 1]))
        --e;
    std::string s(text.data() + b, std::size_t(e - b));
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++digits;
    }
    bool ok = digits > 0;
    if (ok && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++expDigits;
        ok = expDigits > 0;
    }
    if (!ok || i != s.size()) {
        *error = ErrorCode::TypeMismatch;
        return false;
    }
    double v = toDouble(s);
    if (!toSingle(v, out)) {
        *error = ErrorCode::Overflow;
        return false;
    }
    *error = ErrorCode::None;
    return true;
}

QByteArray printFormTrimmed(double value, Precision precision) {
    if (precision == Single)
        value = double(float(value));
    QByteArray out(value < 0 ? "-" : " ");
    double mag = std::abs(value);
    if (mag == 0 || !std::isfinite(mag))
        return out + "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", int(precision) - 1, mag);
    // buf: d.dddddde+XX
    std::string mant;
    const char* q = buf;
    for (; *q && *q != 'e'; ++q)
        if (isDigit(*q))
            mant += *q;
    int exp = std::atoi(q + 1);
    // Rounding up the largest values would write a number that no longer reads back (it
    // overflows): those are cut off in the last digit instead.
    const double limit = precision == Single ? double(FLT_MAX) : DBL_MAX;
    const std::string readBack =
        mant.substr(0, 1) + "." + mant.substr(1) + "e" + std::to_string(exp);
    if (toDouble(readBack) > limit) {
        for (std::size_t i = mant.size(); i-- > 0;) {
            if (mant[i] != '0') {
                --mant[i];
                break;
            }
            mant[i] = '9';
        }
    }
    while (mant.size() > 1 && mant.back() == '0')
        mant.pop_back();
    const int n = int(mant.size());
    bool scientific = exp >= int(precision) || (exp < 0 && (-exp - 1 + n) > int(precision));
    if (scientific) {
        out += mant[0];
        if (n > 1)
            out += '.' + QByteArray(mant.c_str() + 1);
        char e[16];
        std::snprintf(e, sizeof e, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
        return out + e;
    }
    if (exp >= 0) {
        std::string intPart = mant.substr(0, std::min<std::size_t>(mant.size(), exp + 1));
        intPart.append(std::size_t(exp + 1) - intPart.size(), '0');
        out += intPart.c_str();
        if (n > exp + 1)
            out += '.' + QByteArray(mant.c_str() + exp + 1);
        return out;
    }
    out += "0." + QByteArray(std::size_t(-exp - 1), '0') + QByteArray(mant.c_str());
    return out;
}

QByteArray printForm(double value, Precision precision) {
    return printFormTrimmed(value, precision) + ' ';
}

} // namespace numbers
