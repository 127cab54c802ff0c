#pragma once
#include "Printer.h"

#include <QStringList>
#include <memory>

// The Qt printer. While a document is open, what is drawn on it is recorded on disk (see
// PageJournal); when it ends it is written as a PDF and handed whole to the printer chosen in
// setup, or else to the system's default printer. A document that reaches no printer (none
// installed, or the print system refuses it) is kept as a PDF file in pdfDirectory named
// "Karvel-YYYYMMDD-HHMMSS.pdf"; a PDF file chosen in setup gets a name of its own for every
// document. A PDF that cannot be written where it should go goes to the home folder, else the
// temporary folder. The print system is asked only off the window's thread, while the work's
// progress window waits.
class QtPrinter : public Printer {
  public:
    // With an empty pdfDirectory the default printer is used when one is installed, else PDF
    // files in the documents folder; a given directory always means PDF files there.
    explicit QtPrinter(const QString& pdfDirectory = QString());
    ~QtPrinter() override;

    void setFont(const QString& family, double points) override;
    double currentX() const override;
    void setCurrentX(double twips) override;
    double textWidth(QStringView text) override;
    double pageWidth() override;
    bool print(QStringView text) override;
    bool endLine() override;
    bool saveOpenPage() override;
    bool endDoc() override;
    QString endDocumentsLeftOpen() override;
    bool documentsLeftOpen() override;
    QString errorText() const override { return error_; }
    OpenSheets openSheets(int sheet = -1) override;
    void setProgress(Progress* progress) override;

    std::unique_ptr<QPrinter> setupCopy() override;
    void applySetup(const QPrinter& chosen) override;
    // The default printer the print system named when this object was made ("" where it named
    // none, or has not answered yet).
    QString knownDefaultPrinter() const;
    // The PDF files this object has written.
    QStringList writtenFiles() const;

  private:
    struct State;
    std::unique_ptr<State> d;
    bool begin();
    QString error_;
};
