#pragma once
// The print system (CUPS): finding printers and handing finished PDF documents to them, with the
// reason in plain words when it cannot be done. Every call has time limits, so a print system
// that does not answer is told as such; and the window waits on none of them: callers run them
// through waitForPrintSystem.
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <thread>

#include "system/Progress.h"

struct PrintJobResult {
    bool sent = false;
    QString reason; // why not, in Japanese
};

struct PrinterLookup {
    bool answered = false; // the print system answered (or there is none on this machine)
    QString printer;       // "queue" or "queue/instance"; "" where there is none
    QPageSize paper;       // its default paper (invalid where it has none)
    QString reason;        // why it could not be asked
};

// The default printer (an instance of the user's options included), or the named one.
PrinterLookup lookUpPrinter(const QString& name = QString());

// Sends pdf as one job to printer ("queue" or "queue/instance": the instance's options apply),
// with the queue's and the user's default options where jobOptions (name, value, name, value,
// ...) say nothing.
PrintJobResult sendPdfToPrinter(const QString& printer, const QString& pdf, const QString& title,
                                const QStringList& jobOptions);

// The paper and orientation of a page, as job options.
QStringList paperOptions(const QPageLayout& layout);

// Whether the file is a PDF written to its end.
bool isCompletePdf(const QString& path);

// Why a wait ended before the print system answered, in Japanese.
QString stoppedWaitingReason(bool cancelled);

// Starts call on a thread of its own; its answer comes through the future (the thread ends on its
// own, whoever still waits for it).
template <typename T> std::future<T> askPrintSystem(std::function<T()> call) {
    auto task = std::make_shared<std::packaged_task<T()>>(std::move(call));
    std::future<T> answer = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    return answer;
}

// Runs call on a thread of its own while the window waits: progress (where given) is asked
// every 20 ms and ends the wait when it says stop; the wait ends anyway after limit. nullopt
// when the wait ended first, with *whyNot saying why (the call then finishes on its own and its
// answer is dropped).
template <typename T>
std::optional<T> waitForPrintSystem(std::function<T()> call, Progress* progress, QString* whyNot,
                                    std::chrono::milliseconds limit = std::chrono::seconds(12)) {
    std::future<T> answer = askPrintSystem(std::move(call));
    const auto until = std::chrono::steady_clock::now() + limit;
    while (answer.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        const bool cancelled = progress && !progress->advance(0, 0);
        if (cancelled || std::chrono::steady_clock::now() > until) {
            if (whyNot)
                *whyNot = stoppedWaitingReason(cancelled);
            return std::nullopt;
        }
    }
    return answer.get();
}
