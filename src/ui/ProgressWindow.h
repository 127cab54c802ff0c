#pragma once
// The window's progress: nothing for work that ends within half a second; then a modal
// progress window with "キャンセル" (Esc works too). Until it shows, the window repaints but
// takes no input, so no second command can start while one runs.
#include "system/Progress.h"

#include <QString>
#include <cstdint>
#include <memory>

class QProgressDialog;
class QWidget;

class QtProgress : public Progress {
  public:
    QtProgress(QWidget* parent, const QString& label);
    ~QtProgress() override;
    bool advance(std::uint64_t done, std::uint64_t total) override;
    // Whether the progress window was shown.
    bool shown() const { return dialog_ != nullptr; }

  private:
    QWidget* parent_;
    QString label_;
    std::unique_ptr<QProgressDialog> dialog_;
    std::int64_t started_ = 0; // milliseconds of the steady clock
    std::int64_t lastLook_ = 0;
    bool cancelled_ = false;
};
