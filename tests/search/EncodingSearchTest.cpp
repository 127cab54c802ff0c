// The search in EUC-JP, ISO-2022-JP and UTF-16 documents: exact characters, never a match
// that starts or ends inside a character.
#include "document/LineStore.h"
#include "search/StrSearch.h"
#include "support/DocumentRows.h"
#include "text/Utf16.h"

#include <gtest/gtest.h>

namespace {

using Rows = std::vector<std::size_t>;

TEST(EncodingSearch, FindsWholeCharactersOnly) {
    using enum TextEncoding;
    const auto le = [](const QString& s) { return "\xff\xfe" + utf16::encode(s, false); };
    const auto be = [](const QString& s) { return "\xfe\xff" + utf16::encode(s, true); };
    struct Case {
        const char* name;
        QByteArray bytes;
        TextEncoding encoding;
        QString needle;
        Rows rows;
    } cases[] = {
        // あい is A4A2 A4A4: its middle bytes A2A4 are △.
        {"euc-jp: no match across two characters",
         "\xa4\xa2\xa4\xa4\n\xa2\xa4\n",
         EucJp,
         u"△"_qs,
         {1}},
        // 丂 is 8F B0A1 in JIS X 0212; B0A1 alone is 亜.
        {"euc-jp: none inside a three-byte character",
         "\x8f\xb0\xa1\n\xb0\xa1\n",
         EucJp,
         u"亜"_qs,
         {1}},
        {"euc-jp: the three-byte character itself",
         "\x8f\xb0\xa1\n\xb0\xa1\n",
         EucJp,
         u"丂"_qs,
         {0}},
        // ｱ is 8E B1: after a damaged A4 it still starts a character.
        {"euc-jp: half-width katakana",
         QByteArray(3, 'x').replace("x", "\xa4\xa2\xa4\xa4\xa4\xa6\xa1\xa3") +
             "\n\xa4\x8e\xb1\n\xb1\xb1\n",
         EucJp,
         u"ｱ"_qs,
         {1}},
        {"euc-jp: the variant input methods type", "\xa1\xdd\n", EucJp, u"\uFF0D"_qs, {0}},
        {"euc-jp: a damaged byte", "\xa4\xa2\xff\n\xa4\xa2\n", EucJp, u"あ\uFFFD"_qs, {0}},
        {"iso-2022-jp: the escaped text, not its bytes",
         "\x1b$B$\"\x1b(B\n$\"\n",
         Iso2022Jp,
         u"あ"_qs,
         {0}},
        {"iso-2022-jp: a variant lacking in JIS X 0208",
         "\x1b$B!A\x1b(B\n",
         Iso2022Jp,
         u"\uFF5E"_qs,
         {0}},
        // 䉁 is 4241: its bytes 41 42 stand across the units 4100 and 0042.
        {"utf-16le: no match across two units",
         le(u"\u4100B\r\n\u4241\r\n"_qs),
         Utf16Le,
         u"\u4241"_qs,
         {1}},
        {"utf-16be: no match across two units",
         be(u"\u4100B\n\u0041\u4200\n\u4142\n"_qs),
         Utf16Be,
         u"\u4142"_qs,
         {2}},
        {"utf-16le: a line end byte inside a character",
         le(u"」\r\n《\r\n"_qs),
         Utf16Le,
         u"」"_qs,
         {0}},
        {"utf-16le: half of a surrogate pair finds nothing",
         le(u"😀\n😀\n"_qs),
         Utf16Le,
         u"😀"_qs.left(1),
         {}},
        {"utf-16le: a damaged unit",
         le(u"a\n"_qs) + QByteArray("\x00\xd8\n\x00", 4),
         Utf16Le,
         u"\uFFFD"_qs,
         {1}},
    };
    for (const Case& c : cases) {
        LineStore rows;
        ASSERT_TRUE(readBytes(rows, c.bytes)) << c.name;
        ASSERT_EQ(rows.format().encoding, c.encoding) << c.name;
        EXPECT_EQ(StrSearch(c.needle, rows), c.rows.size()) << c.name;
        EXPECT_EQ(selectedRows(rows), c.rows) << c.name;
    }
}

} // namespace
