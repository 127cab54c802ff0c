#include "ApplicationSetup.h"

#include "platform/JapaneseFont.h"
#include "resources/Pictures.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

void setUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Karvel"));
    QApplication::setApplicationVersion(QStringLiteral("3.00"));
    QApplication::setWindowIcon(pictures::programIconSet());
    // The program speaks Japanese, and so do the standard dialogs it shows.
    auto* qtJapanese = new QTranslator(qApp);
    if (qtJapanese->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtJapanese);
    QApplication::setFont(withJapaneseFamily(QApplication::font()));
}
