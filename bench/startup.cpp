// Starts the program as it starts itself and quits when its window has first been painted.
#include "app/ApplicationSetup.h"

#include "QuitOnFirstPaint.h"
#include <QWidget>

int main(int argc, char** argv) {
    QuitOnFirstPaint quit;
    return runProgram(argc, argv, [&](QWidget& window) { window.installEventFilter(&quit); });
}
