#pragma once
// The program's captions and most files are Japanese. A font without Japanese characters makes
// the text engine look for a fallback font for every caption, which is slow to find and mixes
// two designs in one word; the font the system prefers for Japanese is taken instead.
#include <QFont>
#include <QStringList>

// The same font in the family the system prefers for Japanese text in its place: its own family
// when that has the Japanese characters. Without any Japanese font, font itself.
QFont withJapaneseFamily(const QFont& font);
