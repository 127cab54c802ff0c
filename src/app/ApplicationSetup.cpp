#include "ApplicationSetup.h"

#include "SessionEnd.h"
#include "frmMain.h"
#include "printing/QtPrinter.h"
#include "resources/Pictures.h"
#include "system/FileIO.h"
#include "system/RuntimeError.h"
#include "ui/FitToText.h"
#include "ui/JapaneseFont.h"
#include "ui/ModalWindows.h"
#include "ui/QtDesktop.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <sys/resource.h>

namespace {

// The least address space the toolkit starts in: its windows, fonts and the threads it starts
// for drawing and the desktop bus (each with its stack and memory arena). Below it a thread the
// toolkit cannot start leaves it waiting for ever, with no window to show a message in.
constexpr rlim_t kLeastAddressSpace = rlim_t(768) << 20;

bool enoughAddressSpace() {
    struct rlimit limit {};
    return ::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           limit.rlim_cur >= kLeastAddressSpace;
}

} // namespace

int runProgram(int argc, char* argv[], const std::function<void(QWidget&)>& shown) {
    if (!enoughAddressSpace()) {
        const QString text = ErrorCode(ErrorCode::OutOfMemory).description() +
                             QStringLiteral("アドレス空間の上限が %1 MiB 未満では起動できません。")
                                 .arg(kLeastAddressSpace >> 20);
        std::fprintf(stderr, "Karvel32: %s\n", text.toUtf8().constData());
        return 1;
    }
    // The arguments are a file name, never options for the toolkit: a file called "-reverse"
    // is opened, not obeyed. The one optional argument is taken whole: several words make one
    // file name.
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << fileNameFromBytes(argv[i]);
    const QString commandLine = words.join(QLatin1Char(' '));
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);
    setUpApplication();
    QtDesktop desktop;
    QtPrinter printer;
    frmMain window(QCoreApplication::applicationDirPath(), desktop, printer);
    SessionEnd sessionEnd(window);
    window.Form_Load(commandLine);
    // Told to end during the start-up load: that load has unwound by now.
    if (sessionEnd.pending())
        sessionEnd.terminate();
    if (sessionEnd.terminated())
        return 0;
    window.show();
    if (shown)
        shown(window);
    return app.exec();
}

void setUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Karvel"));
    QApplication::setApplicationVersion(QStringLiteral("3.00"));
    QApplication::setWindowIcon(pictures::programIconSet());
    // Docks and task bars match the windows to the installed desktop entry by this name (on
    // Wayland it is the window's app id, and the window icon is not used).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.karvel.Karvel32"));
    // The program speaks Japanese, and so do the standard dialogs it shows.
    auto* qtJapanese = new QTranslator(qApp);
    if (qtJapanese->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtJapanese);
    QApplication::setFont(withJapaneseFamily(QApplication::font()));
    keepMenuCaptionsWhole();
    qApp->installEventFilter(new ModalWindowsStayUp(qApp));
}
