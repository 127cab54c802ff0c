// Written rows in every encoding: the exact bytes read, each followed by the file's own line end
// in the document's encoding (a UTF-8 mark is not written); a UTF-16 output file that starts
// empty starts with its mark.
#include "document/LineStore.h"
#include "output/OutputRules.h"
#include "support/DocumentRows.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"

#include <gtest/gtest.h>

namespace {

QByteArray bytes(const char* s, qsizetype n) {
    return QByteArray(s, n);
}

TEST(EncodingOutput, RowsEndInTheDocumentsLineEndInItsEncoding) {
    struct Case {
        const char* name;
        QByteArray in;
        QByteArray before; // the output file's content before (null: no file)
        bool append;
        QByteArray out;
    } cases[] = {
        {"utf-16le crlf, new file",
         bytes("\xff\xfe\x0d\x30\r\0\n\0a\0", 10),
         {},
         true,
         bytes("\xff\xfe\x0d\x30\r\0\n\0a\0\r\0\n\0", 14)},
        {"utf-16le, appended to an empty file", bytes("\xff\xfex\0\n\0", 6), "", true,
         bytes("\xff\xfex\0\n\0", 6)},
        {"utf-16be lf, appended after rows", bytes("\xfe\xff\0x\0\n\0y", 8),
         bytes("\xfe\xff\0a\0\n", 6), true, bytes("\xfe\xff\0a\0\n\0x\0\n\0y\0\n", 14)},
        {"utf-16be, replacing", bytes("\xfe\xff\0x", 4), "old", false,
         bytes("\xfe\xff\0x\0\r\0\n", 8)},
        {"crlf stays crlf", "a\r\nb\rc", {}, false, "a\r\nb\r\nc\r\n"},
        {"cells keep their line feeds", "\"x\ny\",1\r\nz\r\n", {}, false, "\"x\ny\",1\r\nz\r\n"},
        {"lf stays lf", "a\nb\nc", {}, false, "a\nb\nc\n"},
        {"lf with a crlf line and a lone cr",
         "a\r\nb\r\nc\nd\re\nf\ng\n",
         {},
         false,
         "a\nb\nc\nd\re\nf\ng\n"},
        {"utf-8 with a broken byte",
         "\xe6\x8e\xa5\xff\n\xe7\xb6\x9a\n",
         {},
         false,
         "\xe6\x8e\xa5\xff\n\xe7\xb6\x9a\n"},
        {"utf-8 mark not written",
         "\xef\xbb\xbf"
         "a\r\nb\r\n",
         {},
         false,
         "a\r\nb\r\n"},
        {"code page 932 lf",
         "\x90\xda\x91\xb1\n\x83\x5c\n",
         {},
         false,
         "\x90\xda\x91\xb1\n\x83\x5c\n"},
        {"euc-jp lf", "\xa4\xa2\xa4\xa4\n\x8e\xb1", {}, false, "\xa4\xa2\xa4\xa4\n\x8e\xb1\n"},
        {"iso-2022-jp crlf",
         "\x1b$B$\"\x1b(B\r\n\x1b$B$$",
         {},
         false,
         "\x1b$B$\"\x1b(B\r\n\x1b$B$$\r\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        LineStore rows;
        ASSERT_TRUE(readBytes(rows, c.in)) << c.name;
        rows.setRangeSelected(0, rows.rowCount() - 1, true);
        const QString out = dir.file(QStringLiteral("out.txt"));
        if (!c.before.isNull())
            dir.write(QStringLiteral("out.txt"), c.before);
        ASSERT_EQ(writeSelectedRows(out, c.append, rows), ErrorCode::None) << c.name;
        EXPECT_EQ(TempDir::read(out).toHex(' '), c.out.toHex(' ')) << c.name;
    }
}

// The typed comment: encoded in the document's encoding, then its line end in that encoding.
TEST(EncodingOutput, ACommentLineFollowsTheDocumentsFormat) {
    TempDir dir;
    const QString out = dir.file(QStringLiteral("out.txt"));
    const TextFormat utf16be{LineEndStyle::Cr, TextEncoding::Utf16Be};
    ASSERT_EQ(writeLine(out, true, *encodeText(utf16be.encoding, u"」"), utf16be), ErrorCode::None);
    ASSERT_EQ(writeLine(out, true, *encodeText(utf16be.encoding, u"a"), utf16be), ErrorCode::None);
    EXPECT_EQ(TempDir::read(out).toHex(' '),
              bytes("\xfe\xff\x30\x0d\0\r\0\n\0a\0\r\0\n", 14).toHex(' '));
    const TextFormat jis{LineEndStyle::Lf, TextEncoding::Iso2022Jp};
    ASSERT_EQ(writeLine(out, false, *encodeText(jis.encoding, u"〜x"), jis), ErrorCode::None);
    EXPECT_EQ(TempDir::read(out), "\x1b$B!A\x1b(Bx\n");
}

} // namespace
