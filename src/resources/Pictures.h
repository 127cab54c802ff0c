#pragma once
// The program's pictures: the ten toolbar pictures (numbered from 1, as the toolbar buttons
// refer to them) and the program icon. Magenta pixels are transparent.
#include <QIcon>
#include <QPixmap>

namespace pictures {

inline constexpr int kToolbarPictureCount = 10;

// Toolbar picture 1..10, with its double-size form for high-density screens.
QIcon toolbarPicture(int index);
// The 32 x 32 program icon.
QPixmap programIcon();
QIcon programIconSet();
// The About box's 191 x 63 logo.
QPixmap aboutLogo();

} // namespace pictures
