#pragma once
// The settings record and the KARVEL.INI reader and writer.
#include "system/RuntimeError.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Mode values set by the program are 0 and 1; a value read from the file stays as read.
struct IniSettingsRecord {
    double Append_mode = 0;  // 1: output files are appended to; otherwise overwritten
    double Page_mode = 0;    // 1: the paper is ejected after every print command
    double FileSel_mode = 0; // 0: ask for the output file every time; otherwise SelFileName
    QString SelFileName;

    // How the program reads the modes: only 1 appends and only 1 ejects after every print
    // command; only 0 asks for the output file every time.
    bool appends() const { return Append_mode == 1; }
    bool ejectsAfterEveryPrint() const { return Page_mode == 1; }
    bool asksForOutputFile() const { return FileSel_mode == 0; }
};

// What a KARVEL.INI file sets, as read: the keys it does not hold stay unset. Numbers come as
// read (placement and font size in single precision).
struct IniFileSettings {
    IniSettingsRecord settings;                    // the defaults where the file has no line
    std::optional<float> top, left, height, width; // twips
    std::optional<QString> fontName;
    std::optional<float> fontSize; // points, always a size a font can take
    ErrorCode error;               // what stopped reading; the lines before it count
    bool unreadable = false; // a file that is there could not be read (rather than read wrong)
};

// "KARVEL.INI" in dir, with a "/" between unless dir ends in one.
QString iniFilePath(const QString& dir);

// Reads the file line by line, a later line overriding an earlier one. A missing file sets
// nothing and is no error.
IniFileSettings iniFileRead(const QString& path);

// What iniFileWrite writes.
struct IniWriteState {
    IniSettingsRecord settings;
    bool minimized = false;
    float top = 0, left = 0, height = 0, width = 0; // twips
    QString fontName;
    float fontSize = 0;
};

// Names (FontName, SelFileName) that code page 932 cannot hold exactly are written twice: as
// code page 932 with '?' for what it lacks, then percent-encoded UTF-8 under "Name.UTF-8=",
// which reads back identical (for SelFileName: the file name's bytes, UTF-8 or not).
QByteArray iniFileContent(const IniWriteState& state);

// Writes the file; failures are silent (returns false).
bool iniFileWrite(const QString& path, const IniWriteState& state);
