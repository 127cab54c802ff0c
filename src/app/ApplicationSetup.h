#pragma once
// What the program sets up for the whole application before its main window is built: names,
// icon, the Japanese translation of the standard dialogs and a font with Japanese characters.
// Needs the QApplication.
void setUpApplication();
