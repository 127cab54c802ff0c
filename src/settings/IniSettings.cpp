#include "IniSettings.h"

#include "NumberRules.h"
#include "system/FileIO.h"
#include "system/ProgramFiles.h"
#include "system/RuntimeError.h"
#include "text/Cp932.h"

#include <array>
#include <cstring>
#include <optional>
#include <utility>

namespace {

// The file's keys, in the order in which every line is tested against them.
enum class IniKey {
    Append_mode,
    Page_mode,
    Top,
    Left,
    Height,
    Width,
    FontName,
    FontSize,
    FileSel_mode,
    SelFileName
};

struct KeyInfo {
    IniKey key;
    const char* text;
    bool exact = false; // the exact form of a name, after its code page 932 line
};

constexpr std::array<KeyInfo, 12> kKeys{{
    {IniKey::Append_mode, "Append_mode="},
    {IniKey::Page_mode, "Page_mode="},
    {IniKey::Top, "Top="},
    {IniKey::Left, "Left="},
    {IniKey::Height, "Height="},
    {IniKey::Width, "Width="},
    {IniKey::FontName, "FontName="},
    {IniKey::FontName, "FontName.UTF-8=", true},
    {IniKey::FontSize, "FontSize="},
    {IniKey::FileSel_mode, "FileSel_mode="},
    {IniKey::SelFileName, "SelFileName="},
    {IniKey::SelFileName, "SelFileName.UTF-8=", true},
}};

// Printable ASCII but '%' stays as it is in the exact form of a name; everything else is %XX.
QByteArray printableAscii() {
    QByteArray out;
    for (char c = 0x20; c < 0x7F; ++c)
        if (c != '%')
            out += c;
    return out;
}

bool isSingle(IniKey k) {
    return k == IniKey::Top || k == IniKey::Left || k == IniKey::Height || k == IniKey::Width;
}

// The largest size the list's font takes.
constexpr float kLargestFontSize = 16384;

ErrorCode readLine(QByteArrayView line, IniFileSettings& out) {
    for (const KeyInfo& k : kKeys) {
        const QByteArrayView key(k.text);
        if (!line.startsWith(key))
            continue;
        const QByteArrayView value = line.sliced(key.size());
        if (k.key == IniKey::FontName || k.key == IniKey::SelFileName) {
            const QByteArray exact = QByteArray::fromPercentEncoding(value.toByteArray());
            if (k.key == IniKey::FontName)
                out.fontName =
                    k.exact ? QString::fromUtf8(exact) : cp932::decode(value.data(), value.size());
            else // the exact form of a file name is its bytes
                out.settings.SelFileName =
                    k.exact ? fileNameFromBytes(exact) : cp932::decode(value.data(), value.size());
            continue;
        }
        ErrorCode err;
        if (k.key == IniKey::FontSize) {
            float size = 0;
            if (!numbers::toSingleStrict(value, &size, &err))
                return err;
            // A size the font cannot take is refused, as the list refuses it.
            if (!(size > 0) || size > kLargestFontSize)
                return ErrorCode::InvalidCall;
            out.fontSize = size;
            continue;
        }
        const double v = numbers::val(value, &err);
        if (err)
            return err;
        float single = 0;
        if (isSingle(k.key) && !numbers::toSingle(v, &single))
            return ErrorCode::Overflow;
        switch (k.key) {
        case IniKey::Append_mode:
            out.settings.Append_mode = v;
            break;
        case IniKey::Page_mode:
            out.settings.Page_mode = v;
            break;
        case IniKey::FileSel_mode:
            out.settings.FileSel_mode = v;
            break;
        case IniKey::Top:
            out.top = single;
            break;
        case IniKey::Left:
            out.left = single;
            break;
        case IniKey::Height:
            out.height = single;
            break;
        case IniKey::Width:
            out.width = single;
            break;
        default:
            break;
        }
    }
    return ErrorCode::None;
}

} // namespace

QString iniFilePath(const QString& dir) {
    return programFilePath(dir, QStringLiteral("KARVEL.INI"));
}

IniFileSettings iniFileRead(const QString& path) {
    IniFileSettings out;
    FileReadResult file = readWholeFile(path, 0, nullptr, true);
    out.unreadable =
        (file.openError && file.openError != ErrorCode::FileNotFound) || file.readError;
    if (file.openError) {
        out.error = file.openError == ErrorCode::FileNotFound ? ErrorCode::None : file.openError;
        return out;
    }
    const char* p = file.bytes.data.get();
    const char* end = p + file.bytes.size;
    // A line ends at CR or CR LF; a lone LF stays in the line.
    while (p < end) {
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', std::size_t(end - p)));
        const char* lineEnd = cr ? cr : end;
        if (file.readError && !cr)
            break; // the unfinished last line of a file that failed while being read
        if ((out.error = readLine(QByteArrayView(p, lineEnd - p), out)))
            return out;
        p = cr ? cr + 1 : end;
        if (cr && p < end && *p == '\n')
            ++p;
    }
    out.error = file.readError;
    return out;
}

QByteArray iniFileContent(const IniWriteState& s) {
    using numbers::printForm;
    QByteArray out;
    auto line = [&out](const char* key, const QByteArray& value) {
        out += key;
        out += value;
        out += "\r\n";
    };
    // A name code page 932 holds is stored as it is; any other also in an exact form after it,
    // which older readers skip.
    auto name = [&line](const char* key, const char* exactKey, const QString& value,
                        const QByteArray& exact) {
        const std::optional<QByteArray> bytes = cp932::encode(value);
        if (bytes && cp932::decode(*bytes) == value && !bytes->contains('\r') &&
            !bytes->contains('\n')) {
            line(key, *bytes);
            return;
        }
        QByteArray lossy = cp932::encodeLossy(value);
        lossy.replace('\r', '?').replace('\n', '?');
        line(key, lossy);
        line(exactKey, exact.toPercentEncoding(printableAscii()));
    };
    out += "[Karvel]\r\n";
    line("Append_mode=", printForm(s.settings.Append_mode, numbers::Double));
    line("Page_mode=", printForm(s.settings.Page_mode, numbers::Double));
    if (!s.minimized) {
        line("Top=", printForm(s.top, numbers::Single));
        line("Left=", printForm(s.left, numbers::Single));
        line("Height=", printForm(s.height, numbers::Single));
        line("Width=", printForm(s.width, numbers::Single));
    }
    name("FontName=", "FontName.UTF-8=", s.fontName, s.fontName.toUtf8());
    line("FontSize=", printForm(s.fontSize, numbers::Single));
    line("FileSel_mode=", printForm(s.settings.FileSel_mode, numbers::Double));
    name("SelFileName=", "SelFileName.UTF-8=", s.settings.SelFileName,
         fileNameBytes(s.settings.SelFileName));
    return out;
}

bool iniFileWrite(const QString& path, const IniWriteState& state) {
    return replaceFileContent(path, iniFileContent(state));
}
