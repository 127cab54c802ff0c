// The main window opening a file with the address space limited, as a process of its own:
//   load_under_limit SMALL_FILE BIG_FILE LIMIT_MIB
// The window starts as the program does and opens SMALL_FILE; then the address space is
// limited to LIMIT_MIB and BIG_FILE is opened. Exits 0 when that load either succeeded or gave
// the out-of-memory message with the small file's rows kept, a loaded file's rows all copied
// (Ctrl+C) either went to the clipboard or gave the same message, and the window still opens
// SMALL_FILE afterwards; 10 + the messages' count otherwise. A crash shows as a signal.
#include "app/ApplicationSetup.h"
#include "app/frmMain.h"
#include "listview/LineListView.h"
#include "support/FakeDesktop.h"
#include "support/FakePrinter.h"
#include "system/RuntimeError.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <cstdlib>
#include <sys/resource.h>

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    QApplication app(argc, argv);
    setUpApplication();
    FakeDesktop desktop;
    FakePrinter printer;
    frmMain window(QDir::tempPath(), desktop, printer);
    const QString small = QString::fromLocal8Bit(argv[1]);
    window.Form_Load(small);
    window.show();
    const std::size_t smallRows = window.LineCount();

    struct rlimit limit {};
    ::getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = rlim_t(std::atoll(argv[3])) << 20;
    ::setrlimit(RLIMIT_AS, &limit);
    window.text_read(QString::fromLocal8Bit(argv[2]));
    const QString outOfMemory = ErrorCode(ErrorCode::OutOfMemory).description();
    const bool loaded = desktop.messages.isEmpty();
    const bool refused = desktop.messages.size() == 1 && desktop.messages[0].text == outOfMemory &&
                         window.LineCount() == smallRows;
    if (loaded && window.LineCount() > 0) {
        window.LineList.setRangeSelected(0, window.LineCount() - 1, true);
        QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
        QApplication::sendEvent(window.List1(), &copy);
        if (!desktop.messages.isEmpty() && desktop.messages.back().text != outOfMemory)
            return 20;
        desktop.messages.clear();
    }
    window.text_read(small);
    const bool working = window.LineCount() == smallRows;
    return (loaded || refused) && working ? 0 : 10 + int(desktop.messages.size());
}
