#pragma once
// The settings record and the KARVEL.INI reader and writer.
#include <QByteArray>
#include <QString>

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

// Receives each recognised line as it is read. Numbers come as read (placement and font size
// already in single precision); apply returns 0 or a runtime error code that stops reading.
class IniReadTarget {
  public:
    virtual ~IniReadTarget() = default;
    virtual int applyNumber(IniKey key, double value) = 0;
    virtual int applyText(IniKey key, const QString& value) = 0;
};

// "KARVEL.INI" in dir, with a "/" between unless dir ends in one.
QString iniFilePath(const QString& dir);

// Reads the file and applies every recognised line at once. Returns 0, or the runtime error
// code that stopped the reading (the lines before it stay applied). A missing file returns 0.
// *unreadable tells whether a file that is there could not be read (rather than read wrong).
int iniFileRead(const QString& path, IniReadTarget& target, bool* unreadable = nullptr);

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
// which reads back identical.
QByteArray iniFileContent(const IniWriteState& state);

// Writes the file; failures are silent (returns false).
bool iniFileWrite(const QString& path, const IniWriteState& state);
