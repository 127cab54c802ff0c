#pragma once
// The program's pictures: the ten toolbar pictures (numbered from 1, as the toolbar buttons
// refer to them) and the program icon, on transparent backgrounds.
#include <QIcon>
#include <QPixmap>

namespace pictures {

inline constexpr int kToolbarPictureCount = 10;

// Toolbar picture 1..10, with its double-size form for high-density screens.
QIcon toolbarPicture(int index);
// The 32 x 32 program icon; for a high-density screen, at its device pixel ratio.
QPixmap programIcon();
QPixmap programIcon(qreal devicePixelRatio);
QIcon programIconSet();
// The About box's 191 x 63 logo, drawn at the screen's device pixel ratio.
QPixmap aboutLogo(qreal devicePixelRatio = 1);

} // namespace pictures
