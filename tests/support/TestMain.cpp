// Runs the tests inside a QApplication: on the offscreen platform unless QT_QPA_PLATFORM names
// another (the desktop runs use xcb under Xvfb and wayland under weston), in the point size
// KARVEL_TEST_POINT_SIZE gives, and with the style the program puts over the desktop's. The size
// is delivered by the desktop where a platform theme is named (GTK's, as GNOME delivers it; the
// desktop run sets it up), else set here as a desktop's font settings would.
#include "ui/FitToText.h"
#include "ui/JapaneseFont.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Pages left open by a test stay in a state folder of this run's own.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    // The tests drive Qt's own dialogs; a platform theme's native ones cannot be driven.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    keepMenuCaptionsWhole();
    if (const double points = qEnvironmentVariable("KARVEL_TEST_POINT_SIZE").toDouble();
        points > 0) {
        QFont font = withJapaneseFamily(QApplication::font());
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORMTHEME"))
            font.setPointSizeF(points);
        else if (std::abs(font.pointSizeF() - points) > 0.01) {
            std::fprintf(stderr, "The platform theme delivered %g pt, not %g pt.\n",
                         font.pointSizeF(), points);
            return 1;
        }
        QApplication::setFont(font);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
