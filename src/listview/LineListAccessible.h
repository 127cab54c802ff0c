#pragma once
// The line list as accessibility tools see it: a list whose children are its rows, each with
// its text and its selected and focused states.
#include <QAccessibleWidget>

class LineListView;

// Registers the list's accessibility interface with Qt (once).
void installLineListAccessibility();

// Tells accessibility tools that the current row or the selection changed.
void notifyCurrentRow(LineListView* view, std::ptrdiff_t row);
void notifySelectionChanged(LineListView* view);
// Forgets the row interfaces handed out so far (the document was replaced).
void forgetRowInterfaces(LineListView* view);
