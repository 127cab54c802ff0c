#pragma once
// Layouts drawn in twips were made for a small bitmap font. With the desktop's font (larger,
// with taller lines) a caption may not fit its control: such a control grows just enough, the
// controls right of it or below it move along, and the window grows with them. Where every
// text fits, nothing moves.
#include <QRect>
#include <QSize>
#include <optional>

class QLabel;
class QWidget;

// Where the control draws its text, and how much room that text takes; none for a control
// without text (pictures, lines, containers other than a frame's caption).
struct TextRoom {
    QRect area;
    QSize text;
};
std::optional<TextRoom> textRoom(const QWidget* control);

// The top edge below which a frame's controls sit clear of its caption; 0 for other widgets.
int captionBottom(const QWidget* container);

// The width label needs to show text whole, never less than widthNow.
int labelWidthFor(const QLabel* label, const QString& text, int widthNow);

// Grows the children of window (and of frames inside it) to fit their texts and returns the size
// window needs to hold them with the margins it was drawn with. The window itself is not resized.
QSize fitChildrenToText(QWidget* window);

// Menus sized for their whole captions. At a font size that comes to a fractional pixel size
// (11 points at 96 dpi, as GNOME delivers through the GTK platform theme), the menu is sized in
// the font's nominal size without the mnemonic's '&', while the style draws in the size the font
// resolves to and cuts to the room with the '&' counted: the caption is drawn shortened with
// "…". Installs, once, a style over the application's that gives menu items that room.
void keepMenuCaptionsWhole();
