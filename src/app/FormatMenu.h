#pragma once
// The encoding and line-end style a file is read in, as the person chooses them: "自動判定" or
// one of the encodings, "自動" or one of the line-end styles. The File menu holds this menu, and
// the status panel that shows the format opens it too.
#include "text/TextFormat.h"

#include <QMenu>
#include <optional>

class QActionGroup;

struct FormatChoice {
    std::optional<TextEncoding> encoding; // none: decided from the file's bytes
    std::optional<LineEndStyle> lineEnd;
    friend bool operator==(const FormatChoice&, const FormatChoice&) = default;
};

class FormatMenu : public QMenu {
    Q_OBJECT
  public:
    explicit FormatMenu(QWidget* parent);
    // Marks the choice in effect.
    void showChoice(const FormatChoice& choice);

  signals:
    void chosen(const FormatChoice& choice);

  private:
    FormatChoice current() const;
    QActionGroup* encodings_;
    QActionGroup* lineEnds_;
};
