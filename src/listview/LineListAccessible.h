#pragma once
// The line list as accessibility tools see it: a multi-select list (a table of one column) whose
// children are its rows, each with its text, its selected and focused states and an action that
// toggles its selection. The list answers for its selection (count, rows, select, deselect) in
// time that grows with the selected rows, not with the others.
#include <cstddef>
#include <vector>

class LineListView;

// Registers the list's accessibility interface with Qt (once).
void installLineListAccessibility();

// Tells accessibility tools that the current row changed.
void notifyCurrentRow(LineListView* view, std::ptrdiff_t row);
// Tells accessibility tools the selected state of these rows, which changed: one event a row,
// as item views send theirs.
void notifySelectionOf(LineListView* view, const std::vector<std::size_t>& rows);
// Has screen readers say how many rows are selected: a notification shown for the list.
void announceSelectedCount(LineListView* view);
// Forgets the row interfaces handed out so far (the document was replaced).
void forgetRowInterfaces(LineListView* view);
