#include "LongWork.h"

#include "BusyCursor.h"
#include "Desktop.h"

namespace {

// The person's progress window, with the program's stop request in front of it.
class OwnedProgress : public Progress {
  public:
    OwnedProgress(Progress& shown, const bool& stopping) : shown_(shown), stopping_(stopping) {}
    bool advance(std::uint64_t done, std::uint64_t total) override {
        return !stopping_ && shown_.advance(done, total) && !stopping_;
    }
    bool advanceInRow(std::uint64_t done, std::uint64_t total) override {
        return shown_.advance(done, total);
    }

  private:
    Progress& shown_;
    const bool& stopping_;
};

} // namespace

LongWork::LongWork(Desktop& desktop, QObject* parent) : QObject(parent), desktop_(desktop) {}

bool LongWork::run(QWidget* parent, const QString& label,
                   const std::function<void(Progress&)>& work) {
    if (running_ || stopping_)
        return false;
    running_ = true;
    // Whatever way the work ends, it is over: a program that waits for it to end may go on.
    struct Over {
        LongWork& owner;
        ~Over() {
            owner.running_ = false;
            emit owner.finished();
        }
    } over{*this};
    BusyCursor busy;
    const auto shown = desktop_.progress(parent, label);
    OwnedProgress progress(*shown, stopping_);
    work(progress);
    return true;
}
