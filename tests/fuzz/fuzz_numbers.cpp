// The number rules: any text reads without harm, and a written number reads back to the value
// written, to the precision it is written with; the written form is a fixed point.
#include "settings/NumberRules.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView text(reinterpret_cast<const char*>(data), qsizetype(size));
    ErrorCode err;
    numbers::val(text, &err);
    float f = 0;
    numbers::toSingleStrict(text, &f, &err);

    if (size >= sizeof(double)) {
        double v;
        std::memcpy(&v, data, sizeof v);
        if (!std::isfinite(v))
            return 0;
        for (auto precision : {numbers::Double, numbers::Single}) {
            if (precision == numbers::Single && !numbers::toSingle(v, &f))
                continue;
            const double value = precision == numbers::Single ? double(f) : v;
            const QByteArray written = numbers::printForm(value, precision);
            ErrorCode e;
            const double back = numbers::val(written, &e);
            if (e)
                std::abort();
            // Rounding to 7 or 15 significant digits moves a value by at most half a unit in the
            // last digit: 5e-7 or 5e-15 of it, and a little for the binary forms.
            const double tolerance = precision == numbers::Single ? 6e-7 : 6e-15;
            if (std::abs(back - value) > tolerance * std::abs(value) &&
                std::abs(back - value) > 1e-300)
                std::abort();
            if (numbers::printForm(back, precision) != written)
                std::abort();
            if (precision == numbers::Single) {
                float strict = 0;
                if (!numbers::toSingleStrict(written, &strict, &e) ||
                    numbers::printForm(strict, precision) != written)
                    std::abort();
            }
        }
    }
    return 0;
}
