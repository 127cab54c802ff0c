#pragma once
// How the program starts.
#include <functional>

class QWidget;

// Runs the program with its command line until its main window is closed. shown, when given,
// is called once the window is shown and before the event loop starts.
int runProgram(int argc, char* argv[], const std::function<void(QWidget&)>& shown = {});

// What the program sets up for the whole application before its main window is built: names,
// icon, the Japanese translation of the standard dialogs and a font with Japanese characters.
// Needs the QApplication.
void setUpApplication();
