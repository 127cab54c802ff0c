#pragma once
// Twips (1/1440 inch) and pixels, through the screen's logical dots per inch: 15 twips make
// one pixel at 96 dpi.
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace twips {

inline double logicalDpi() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInch() : 96.0;
}
inline int toPixels(double t, double dpi = logicalDpi()) {
    return int(std::lround(t * dpi / 1440.0));
}
inline double fromPixels(double px, double dpi = logicalDpi()) {
    return px * 1440.0 / dpi;
}

} // namespace twips
