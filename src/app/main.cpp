#include "frmMain.h"
#include "platform/Desktop.h"
#include "platform/Printer.h"
#include "resources/Pictures.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Karvel"));
    QApplication::setApplicationVersion(QStringLiteral("3.00"));
    QApplication::setWindowIcon(pictures::programIconSet());
    // The program speaks Japanese, and so do the standard dialogs it shows.
    QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);
    // The one optional argument is taken whole: several words make one file name.
    const QString commandLine = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    QtDesktop desktop;
    QtPrinter printer;
    frmMain window(QCoreApplication::applicationDirPath(), desktop, printer);
    window.Form_Load(commandLine);
    window.show();
    return app.exec();
}
