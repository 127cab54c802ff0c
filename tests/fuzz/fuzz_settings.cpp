// Arbitrary KARVEL.INI bytes: reading never fails unsafely, and the written form is stable:
// writing what was read and reading it back gives the same state, to the precision numbers
// are written with (names exactly), and the same bytes when written again.
#include "settings/IniSettings.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

struct State : IniReadTarget {
    IniWriteState s;
    int applyNumber(IniKey key, double v) override {
        switch (key) {
        case IniKey::Append_mode:
            s.settings.Append_mode = v == 1 ? 1 : 0;
            break;
        case IniKey::Page_mode:
            s.settings.Page_mode = v;
            break;
        case IniKey::FileSel_mode:
            s.settings.FileSel_mode = v;
            break;
        case IniKey::Top:
            s.top = float(v);
            break;
        case IniKey::Left:
            s.left = float(v);
            break;
        case IniKey::Height:
            s.height = float(v);
            break;
        case IniKey::Width:
            s.width = float(v);
            break;
        case IniKey::FontSize:
            s.fontSize = float(v);
            break;
        default:
            break;
        }
        return 0;
    }
    int applyText(IniKey key, const QString& v) override {
        (key == IniKey::FontName ? s.fontName : s.settings.SelFileName) = v;
        return 0;
    }
};

bool close(double a, double b, double relative) {
    return a == b || std::abs(a - b) <= relative * std::max(std::abs(a), std::abs(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("KARVEL.INI"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    State first;
    iniFileRead(path, first);
    if (!iniFileWrite(path, first.s))
        std::abort();
    State second;
    if (iniFileRead(path, second) != 0)
        std::abort(); // what the program writes, it reads without complaint
    const IniWriteState &a = first.s, &b = second.s;
    if (!close(a.settings.Page_mode, b.settings.Page_mode, 1e-14) ||
        !close(a.settings.FileSel_mode, b.settings.FileSel_mode, 1e-14) ||
        a.settings.Append_mode != b.settings.Append_mode || !close(a.top, b.top, 1e-6) ||
        !close(a.left, b.left, 1e-6) || !close(a.height, b.height, 1e-6) ||
        !close(a.width, b.width, 1e-6) || !close(a.fontSize, b.fontSize, 1e-6) ||
        a.fontName != b.fontName || a.settings.SelFileName != b.settings.SelFileName)
        std::abort();
    if (iniFileContent(a) != iniFileContent(b))
        std::abort();
    return 0;
}
