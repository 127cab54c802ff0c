#pragma once
// What the system's converter makes of one character, for the build-time table generators.
#include <cstddef>
#include <iconv.h>

// The one UTF-16 unit cd (to UTF-16LE) turns in[0, n) into, or invalid when the bytes are not
// exactly one character of the basic plane (characters beyond it count as unmapped).
inline unsigned convertUnit(iconv_t cd, const char* in, std::size_t n, unsigned invalid) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char buf[8];
    char* inp = const_cast<char*>(in);
    char* outp = buf;
    std::size_t inLeft = n, outLeft = sizeof buf;
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == std::size_t(-1) || inLeft != 0 ||
        sizeof buf - outLeft != 2)
        return invalid;
    return static_cast<unsigned char>(buf[0]) | (static_cast<unsigned char>(buf[1]) << 8);
}
