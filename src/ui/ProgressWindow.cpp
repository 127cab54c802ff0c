#include "ProgressWindow.h"

#include "ModalWindows.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>
#include <chrono>

namespace {

constexpr std::int64_t kShowAfterMs = 500;
constexpr std::int64_t kLookEveryMs = 100; // how often events are taken in while working

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

QtProgress::QtProgress(QWidget* parent, const QString& label)
    : parent_(parent), label_(label), started_(nowMs()), lastLook_(started_) {}

QtProgress::~QtProgress() = default;

bool QtProgress::advance(std::uint64_t done, std::uint64_t total) {
    if (cancelled_)
        return false;
    const std::int64_t now = nowMs();
    if (now - lastLook_ < kLookEveryMs)
        return true;
    lastLook_ = now;
    if (!dialog_ && now - started_ >= kShowAfterMs) {
        dialog_ = std::make_unique<QProgressDialog>(label_, QStringLiteral("キャンセル"), 0, 1000,
                                                    parent_);
        dialog_->setWindowTitle(QStringLiteral("Karvel"));
        // A modal window that can be minimized would hide the program behind it.
        dialog_->setWindowFlags(Qt::Dialog | kDialogTitleBar);
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoReset(false);
        dialog_->setAutoClose(false);
        // Esc stops the work as Cancel and the close box do (by itself it only hides the window).
        QObject::connect(dialog_.get(), &QDialog::rejected, dialog_.get(),
                         &QProgressDialog::cancel);
        dialog_->show();
    }
    if (dialog_) {
        const int value = total > 0 ? int(std::min(done, total) * 1000 / total) : 0;
        if (value != dialog_->value())
            dialog_->setValue(value);
        // The modal progress window keeps input away from the main window.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        cancelled_ = dialog_->wasCanceled();
    } else {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return !cancelled_;
}
