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

// What the program would write after reading the file.
IniWriteState stateOf(const IniFileSettings& read) {
    IniWriteState s;
    s.settings = read.settings;
    s.settings.Append_mode = read.settings.appends() ? 1 : 0; // as the main window shows it
    s.top = read.top.value_or(0);
    s.left = read.left.value_or(0);
    s.height = read.height.value_or(0);
    s.width = read.width.value_or(0);
    s.fontName = read.fontName.value_or(QString());
    s.fontSize = read.fontSize.value_or(9); // the list always has a size
    return s;
}

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
    const IniWriteState a = stateOf(iniFileRead(path));
    if (!iniFileWrite(path, a))
        std::abort();
    const IniFileSettings read = iniFileRead(path);
    if (read.error)
        std::abort(); // what the program writes, it reads without complaint
    const IniWriteState b = stateOf(read);
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
