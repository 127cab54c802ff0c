#pragma once
// The open print document, kept on disk while it is open: where it goes, its paper, and every
// line drawn on it. The document file itself is made only when the page is ejected, from this
// record; a run that ends without ejecting (killed, crashed, its display gone) leaves the record
// in the user's state folder, and the next start ejects it. A running program holds a lock on
// its record, so no other copy takes it.
#include "Printer.h"
#include "system/FileIO.h"

#include <QPageLayout>
#include <QStringList>
#include <functional>
#include <vector>

// Where an ejected document goes, and how it is laid out.
struct DocumentTarget {
    QString printer;             // the print queue ("queue" or "queue/instance"); "" for a PDF
    bool defaultPrinter = false; // the printer is the default one, looked up when it is ejected
    QString pdfFile;             // the PDF file chosen in setup ("": a dated name in pdfDirectory)
    QString pdfDirectory;        // "" for the documents folder
    QPageLayout layout;
    QStringList jobOptions; // name, value, name, value, ... for the print system
    // For a PDF file (a printer is told these in the job options): the sheets from fromSheet
    // to toSheet (from 1; 0: all), last first where reversed, copies times (whole documents
    // where collated, else each sheet).
    int fromSheet = 0, toSheet = 0;
    bool reversed = false;
    int copies = 1;
    bool collated = true;
    // Goes to a printer, named or the default one.
    bool toPrinter() const { return !printer.isEmpty() || defaultPrinter; }
};

class PageJournal {
  public:
    PageJournal() = default;
    PageJournal(PageJournal&&) noexcept = default;
    PageJournal& operator=(PageJournal&&) noexcept = default;
    ~PageJournal() = default; // what was saved stays on disk for the next start

    // $XDG_STATE_HOME/karvel, or ~/.local/state/karvel.
    static QString directory();

    // Starts the record of a new document. On failure the record is not open and the error
    // says why; where names the file that could not be made.
    ErrorCode begin(const DocumentTarget& target, QString* where = nullptr);
    bool isOpen() const { return bool(fd_); }
    const DocumentTarget& target() const { return target_; }

    void addLine(const DrawnLine& line);
    void addSheet();
    // Puts what was added on disk, to stay there if the program or the machine stops.
    ErrorCode save();
    // The document is ejected: the record is deleted.
    void remove();

    // Where each sheet's lines begin in the record, in order (a record cut short by a crash
    // while it was written ends at its last whole entry).
    std::vector<qint64> sheetStarts() const;
    // Reads one sheet's lines back in the order they were drawn.
    ErrorCode readSheet(qint64 start, const std::function<void(const DrawnLine&)>& line) const;
    // The same for a sheet (from 0) of the record this program keeps open.
    ErrorCode readOpenSheet(int sheet, const std::function<void(const DrawnLine&)>& line);

    // Whether there are records in the folder (held by a running program or not).
    static bool anyLeftOpen();
    // The records that no running program holds, each now held by this one.
    static std::vector<PageJournal> leftOpen();

  private:
    UniqueFd fd_;
    QString path_;
    DocumentTarget target_;
    QByteArray pending_;
    qint64 headerSize_ = 0;
    qint64 written_ = 0;         // whole records on disk, header included
    std::vector<qint64> starts_; // where each sheet of the open record begins
    ErrorCode writePending();
};
