#pragma once
// A printer with fixed character widths that records what reaches each page: every ended
// document is a list of printed lines.
#include "printing/Printer.h"

#include <QStringList>

class FakePrinter : public Printer {
  public:
    double page = 2000;  // page width, twips
    double narrow = 100; // width of an ASCII character
    double wide = 200;   // width of any other character
    QString family;
    double points = 0;
    QStringList line;           // the document being printed: one entry per printed line
    QList<QStringList> ejected; // ended documents
    bool open = false;
    bool failPrint = false;
    QString endDocFailure; // when set, ending an open document fails with this message

    void setFont(const QString& f, double p) override {
        family = f;
        points = p;
    }
    double currentX() const override { return x; }
    void setCurrentX(double t) override { x = t; }
    double textWidth(QStringView text) override {
        double w = 0;
        for (QChar c : text)
            w += c.isLowSurrogate() ? 0 : (c.unicode() < 128 ? narrow : wide);
        return w;
    }
    double pageWidth() override { return page; }
    bool print(QStringView text) override {
        if (failPrint)
            return false;
        beginIfNeeded();
        current += text;
        x += textWidth(text);
        return true;
    }
    bool endLine() override {
        beginIfNeeded();
        line << current;
        current.clear();
        x = 0;
        return true;
    }
    bool endDoc() override {
        const bool failed = open && !endDocFailure.isEmpty();
        if (open && !failed)
            ejected << line;
        line.clear();
        open = false;
        return !failed;
    }
    QString errorText() const override {
        return endDocFailure.isEmpty() ? QStringLiteral("印刷できません。") : endDocFailure;
    }
    OpenSheets openSheets(int = -1) override {
        OpenSheets s;
        for (qsizetype i = 0; i < line.size(); ++i)
            s.lines.append({0, 0, double(i) * 200, line[i], family, points});
        s.linesOnLastSheet = int(line.size());
        return s;
    }

  private:
    void beginIfNeeded() { open = true; }
    double x = 0;
    QString current;
};
