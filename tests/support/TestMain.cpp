// Runs the tests inside a QApplication: on the offscreen platform unless QT_QPA_PLATFORM names
// another (the desktop run uses xcb under Xvfb), and in the point size KARVEL_TEST_POINT_SIZE
// gives, as a desktop's font settings would.
#include "ui/JapaneseFont.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Pages left open by a test stay in a state folder of this run's own.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    QApplication app(argc, argv);
    if (const double points = qEnvironmentVariable("KARVEL_TEST_POINT_SIZE").toDouble();
        points > 0) {
        QFont font = withJapaneseFamily(QApplication::font());
        font.setPointSizeF(points);
        QApplication::setFont(font);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
