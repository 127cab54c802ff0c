#pragma once
// The printer object: a print document that stays open between print commands until it is
// ended. Positions and widths are in twips from the left edge of the printable area.
#include <QList>
#include <QPrinter>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringView>
#include <memory>

class Progress;

// A line as the printer drew it on the open document.
struct DrawnLine {
    int sheet = 0;       // from 0
    double x = 0, y = 0; // twips from the printable area's top left; y is the line's top
    QString text;
    QString family;
    double points = 0;
    friend bool operator==(const DrawnLine&, const DrawnLine&) = default;
};

// The open document, on the paper it goes to: its sheets, and the lines drawn on one of them.
struct OpenSheets {
    QSizeF paper;     // twips
    QRectF printable; // twips, on the paper
    int sheets = 1;   // sheets begun (an empty document shows one empty sheet)
    int linesOnLastSheet = 0;
    int linesThatStillFit = 0; // on the last sheet, in the current font
    QList<DrawnLine> lines;    // those of the sheet asked for
};

class Printer {
  public:
    virtual ~Printer() = default;
    virtual void setFont(const QString& family, double points) = 0;
    virtual double currentX() const = 0;
    virtual void setCurrentX(double twips) = 0;
    virtual double textWidth(QStringView text) = 0; // 0 for ""
    virtual double pageWidth() = 0;
    // Draws text at the current position without ending the line; false on a failure
    // (errorText() says what failed).
    virtual bool print(QStringView text) = 0;
    // Back to x = 0, one line of the current font down; a new page when the next line would
    // pass the bottom.
    virtual bool endLine() = 0;
    // Puts what was drawn on the open document on disk, where it outlives the program until it
    // is ended. False on failure.
    virtual bool saveOpenPage() { return true; }
    // Sends the document; the next text starts a new one on a fresh sheet. False on failure.
    virtual bool endDoc() = 0;
    // Ends the documents that runs which stopped without ending theirs left open, as those runs
    // would have ended them. Says what became of them ("" when there were none).
    virtual QString endDocumentsLeftOpen() { return {}; }
    // Whether there may be such documents (cheap to ask).
    virtual bool documentsLeftOpen() { return false; }
    virtual QString errorText() const = 0;
    // The setup in effect (printer, paper, orientation, copies, ...) on a printer of its own
    // that the setup dialog may change (nullptr, with errorText() saying why, where there is
    // none to set up); applySetup takes what was changed on it, from the next document on.
    virtual std::unique_ptr<QPrinter> setupCopy() { return nullptr; }
    virtual void applySetup(const QPrinter& chosen) { (void)chosen; }
    // The long work a print command or an eject runs under (nullptr: none): waits on the print
    // system show in its progress window and end when it is stopped.
    virtual void setProgress(Progress* progress) { (void)progress; }
    // What the open document holds so far, from the record of what was drawn, with the lines of
    // one sheet (from 0; -1 for the last).
    virtual OpenSheets openSheets(int sheet = -1) = 0;
};

// Lets the printer wait with a work's progress window while the object lives.
class PrinterProgress {
  public:
    PrinterProgress(Printer& printer, Progress* progress) : printer_(printer) {
        printer_.setProgress(progress);
    }
    ~PrinterProgress() { printer_.setProgress(nullptr); }
    PrinterProgress(const PrinterProgress&) = delete;
    PrinterProgress& operator=(const PrinterProgress&) = delete;

  private:
    Printer& printer_;
};
