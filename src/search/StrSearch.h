#pragma once
// Selects every row whose decoded text contains a string.
#include <QStringView>
#include <cstddef>

class LineStore;
class Progress;

// Adds to the selection every row that contains needle as an exact substring of its decoded
// text; other rows keep their state. An empty needle selects every non-empty row; an empty
// row is never selected. Returns the number of rows found.
//
// The search runs on the stored bytes. In a code page 932 document a byte match counts only
// where it starts on a character boundary of its row, a character with several encodings is
// found in any of them, and the variants input methods type find the characters the code page
// has (WAVE DASH finds the tilde 0x8160), so the result is that of a search in the decoded
// text. In a UTF-8 document the needle's UTF-8 bytes are found: exact code points. In EUC-JP
// and UTF-16 the needle's bytes are found where they start a character of their row; in
// ISO-2022-JP (and for a needle with U+FFFD) each row is decoded and searched. The JIS
// encodings look for the characters they lack as their JIS X 0208 twins (toEncodingVariants);
// half of a surrogate pair finds nothing there.
//
// The search reports the bytes it has passed to progress; when progress says stop, the
// selection is put back as it was before the search and 0 is returned.
std::size_t StrSearch(QStringView needle, LineStore& rows, Progress* progress = nullptr);
