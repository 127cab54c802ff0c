// The main window opening a file with the address space limited, as a process of its own:
//   load_under_limit SMALL_FILE BIG_FILE LIMIT_MIB
// The window starts as the program does and opens SMALL_FILE; then the address space is
// limited to LIMIT_MIB and BIG_FILE is opened. Exits 0 when that load either succeeded or gave
// the out-of-memory message with the small file's rows kept, a loaded file's rows all copied
// (Ctrl+C) either went to the clipboard or gave the same message, and the window still opens
// SMALL_FILE afterwards; 10 + the messages' count otherwise. A crash shows as a signal.
//   load_under_limit --copy FILE
// Opens FILE, selects every row, limits the address space to what is in use and 1.5 times the
// rows' bytes, and copies them (Ctrl+C): exits 0 when the clipboard holds them, 30 + the
// messages' count otherwise.
#include "app/ApplicationSetup.h"
#include "app/frmMain.h"
#include "listview/LineListView.h"
#include "support/FakeDesktop.h"
#include "support/FakePrinter.h"
#include "system/RuntimeError.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <cstdlib>
#include <sys/resource.h>

namespace {

std::uint64_t addressSpaceInUse() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmSize:"))
                return line.mid(7).trimmed().split(' ')[0].toULongLong() << 10;
    return 0;
}

void limitAddressSpace(std::uint64_t bytes) {
    struct rlimit limit {};
    ::getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_AS, &limit);
}

void pressCopy(frmMain& window) {
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(window.List1(), &copy);
}

int copyWithinLimit(frmMain& window, FakeDesktop& desktop, const QString& file) {
    window.Form_Load(file);
    const std::size_t rows = window.LineCount();
    window.LineList.setRangeSelected(0, rows - 1, true);
    const std::uint64_t bytes = window.LineList.dataSize();
    limitAddressSpace(addressSpaceInUse() + bytes * 3 / 2);
    pressCopy(window);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    const bool whole =
        copied && std::size_t(copied->data(QStringLiteral("text/plain")).count('\n')) == rows;
    return whole && desktop.messages.isEmpty() ? 0 : 30 + int(desktop.messages.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 && !(argc == 3 && argv[1] == QByteArrayView("--copy")))
        return 2;
    QApplication app(argc, argv);
    setUpApplication();
    FakeDesktop desktop;
    FakePrinter printer;
    frmMain window(QDir::tempPath(), desktop, printer);
    if (argc == 3)
        return copyWithinLimit(window, desktop, QString::fromLocal8Bit(argv[2]));
    const QString small = QString::fromLocal8Bit(argv[1]);
    window.Form_Load(small);
    window.show();
    const std::size_t smallRows = window.LineCount();

    limitAddressSpace(std::uint64_t(std::atoll(argv[3])) << 20);
    window.text_read(QString::fromLocal8Bit(argv[2]));
    const QString outOfMemory = ErrorCode(ErrorCode::OutOfMemory).description();
    const bool loaded = desktop.messages.isEmpty();
    const bool refused = desktop.messages.size() == 1 && desktop.messages[0].text == outOfMemory &&
                         window.LineCount() == smallRows;
    if (loaded && window.LineCount() > 0) {
        window.LineList.setRangeSelected(0, window.LineCount() - 1, true);
        pressCopy(window);
        if (!desktop.messages.isEmpty() && desktop.messages.back().text != outOfMemory)
            return 20;
        desktop.messages.clear();
    }
    window.text_read(small);
    const bool working = window.LineCount() == smallRows;
    return (loaded || refused) && working ? 0 : 10 + int(desktop.messages.size());
}
