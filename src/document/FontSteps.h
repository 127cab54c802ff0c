#pragma once
// The enlarge and shrink steps of the list font.
#include <QFont>
#include <cmath>

// The size a font reports, as a fixed-point value with four decimal places.
inline double reportedFontSize(const QFont& font) {
    return std::round(font.pointSizeF() * 10000.0) / 10000.0;
}

struct FontStep {
    double size;   // the new size
    bool relayout; // false for the clamping step: no re-layout, the status panel keeps its text
};

// Enlarging never passes 120 points, shrinking never goes below 5.
inline FontStep enlargeStep(double s) {
    return s < 100 ? FontStep{std::floor(s * 1.2), true} : FontStep{120, false};
}
inline FontStep shrinkStep(double s) {
    return s > 6.25 ? FontStep{std::floor(s * 0.8), true} : FontStep{5, false};
}
