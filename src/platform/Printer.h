#pragma once
// The printer object: a print document that stays open between print commands until it is
// ended. Positions and widths are in twips from the left edge of the printable area.
#include <QString>
#include <QStringView>
#include <memory>

class QPrinter;

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
    // Sends the document; the next text starts a new one on a fresh sheet. False on failure.
    virtual bool endDoc() = 0;
    virtual QString errorText() const = 0;
    // The printer the setup dialog works on (nullptr where there is none to set up).
    virtual QPrinter* setupPrinter() { return nullptr; }
};

// The Qt printer: the system's default printer, or, where there is none, a PDF file per
// document in pdfDirectory named "Karvel-YYYYMMDD-HHMMSS.pdf".
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
    bool endDoc() override;
    QString errorText() const override { return error_; }

    // The printer the setup dialog works on: its choices apply from the next document on.
    QPrinter* setupPrinter() override;
    // The PDF files this object has written.
    QStringList writtenFiles() const;

  private:
    struct State;
    std::unique_ptr<State> d;
    bool begin();
    QString error_;
};
