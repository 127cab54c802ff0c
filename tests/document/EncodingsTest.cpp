// Files in every encoding the program reads: the format each is read in, and each row's text
// as the system's converter (iconv) reads the same bytes.
#include "document/CopyRows.h"
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "support/DocumentRows.h"
#include "support/ReferenceText.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"
#include "text/Cp932.h"
#include "text/Utf16.h"

#include <QDir>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using enum TextEncoding;

// The short corpus (tools/encoding-corpus.sh --small): real Japanese text from the manual
// pages, the FAQ, the SKK dictionary and message translations, named SOURCE-KIND.ENCODING.EOL;
// short heads cut inside a character end in U+FFFD.
TEST(Encodings, EveryCorpusFileReadsAsIconvReadsIt) {
    const QMap<QString, TextEncoding> encodings{
        {"cp932", Cp932},     {"eucjp", EucJp},           {"jis", Iso2022Jp},
        {"utf8", Utf8},       {"utf8bom", Utf8},          {"utf16le", Utf16Le},
        {"utf16be", Utf16Be}, {"utf16le-nobom", Utf16Le}, {"damaged-utf8", Utf8}};
    // Damaged UTF-8: how many characters each shows as U+FFFD.
    const QMap<QString, qsizetype> damage{
        {"mo-cut", 1}, {"mo-dropped", 1}, {"mo-latin1", 2}, {"mo-mixed", 46}};
    const QDir dir(QStringLiteral(KARVEL_ENCODING_CORPUS));
    const QStringList names = dir.entryList({QStringLiteral("*.txt")}, QDir::Files);
    ASSERT_GE(names.size(), 30);
    for (const QString& name : names) {
        const QStringList parts = name.split(u'.');
        ASSERT_EQ(parts.size(), 4) << name.toStdString();
        ASSERT_TRUE(encodings.contains(parts[1])) << name.toStdString();
        const TextFormat format{parts[2] == u"lf" ? LineEndStyle::Lf : LineEndStyle::Cr,
                                encodings[parts[1]]};
        LineStore store;
        ASSERT_EQ(text_read(dir.filePath(name), store).error, ErrorCode::None)
            << name.toStdString();
        EXPECT_EQ(formatName(store.format()), formatName(format)) << name.toStdString();

        const QByteArray bytes = TempDir::read(dir.filePath(name));
        QStringList expected;
        qsizetype replaced = 0;
        for (const QByteArray& row : reference::rowsOf(bytes, format)) {
            const auto text = reference::textOf(row, format.encoding);
            expected << text.value_or(QString());
            replaced +=
                text ? 0 : decodeText(format.encoding, row.data(), row.size()).count(QChar(0xFFFD));
        }
        if (damage.contains(parts[0])) {
            EXPECT_EQ(replaced, damage[parts[0]]) << name.toStdString();
            continue;
        }
        // A short head ends where it was cut: iconv reads up to there.
        const QStringList got = rowTexts(store);
        ASSERT_EQ(got.size(), expected.size()) << name.toStdString();
        for (qsizetype i = 0; i < got.size(); ++i) {
            QString want = expected[i];
            if (want.isEmpty() && !got[i].isEmpty()) {
                const auto cut = reference::iconvRead(reference::rowsOf(bytes, format)[i],
                                                      reference::charsetOf(format.encoding));
                ASSERT_TRUE(cut && cut->cutBytes > 0) << name.toStdString() << " row " << i;
                want =
                    cut->text + QString(format.encoding == Utf8 ? 1 : cut->cutBytes, QChar(0xFFFD));
            }
            EXPECT_EQ(got[i], want) << name.toStdString() << " row " << i;
        }
        // Copying decodes the same way, and so does a row cut in pieces (as a long one is).
        store.setRangeSelected(0, store.rowCount() - 1, true);
        EXPECT_EQ(QString::fromUtf8(selectedRowsAsUtf8(store).text), got.join(u'\n') + u'\n')
            << name.toStdString();
        for (qsizetype i = 0; i < got.size(); ++i) {
            const QByteArrayView b = store.rowBytes(std::size_t(i));
            for (const std::size_t want : {4, 5, 7}) {
                QString joined;
                for (std::size_t at = 0, n = 0; at < std::size_t(b.size()); at += n) {
                    n = pieceEnd(format.encoding, b.data() + at, std::size_t(b.size()) - at, want);
                    joined += decodeText(format.encoding, b.data() + at, n);
                }
                EXPECT_EQ(joined, got[i]) << name.toStdString() << " row " << i << " " << want;
            }
        }
    }
}

// Files made to sit on the edges of the rules.
TEST(Encodings, EdgeFilesReadAsTheirBytesSay) {
    const auto le = [](const char16_t* s) { return utf16::encode(QString::fromUtf16(s), false); };
    const auto be = [](const char16_t* s) { return utf16::encode(QString::fromUtf16(s), true); };
    struct Case {
        const char* name;
        QByteArray bytes;
        TextFormat format;
        QStringList rows;
    } cases[] = {
        {"utf-8 mark alone", "\xef\xbb\xbf", {LineEndStyle::Cr, Utf8}, {}},
        {"utf-16 mark alone", "\xff\xfe", {LineEndStyle::Cr, Utf16Le}, {}},
        {"utf-16le whose characters hold 0D and 0A bytes",
         "\xff\xfe" + le(u"「本」\r\n《注》\r\n"),
         {LineEndStyle::Cr, Utf16Le},
         {"「本」", "《注》"}},
        {"utf-16be, lf",
         "\xfe\xff" + be(u"」\n\u0D0A\n"),
         {LineEndStyle::Lf, Utf16Be},
         {"」", "\u0D0A"}},
        {"utf-16le cut after its last unit",
         "\xff\xfe" + le(u"ab\r\nc") + "\x30",
         {LineEndStyle::Cr, Utf16Le},
         {"ab", "c\uFFFD"}},
        {"utf-16le: a last odd byte is no line end",
         "\xff\xfe" + le(u"a\r") + "\n",
         {LineEndStyle::Cr, Utf16Le},
         {"a", "\uFFFD"}},
        {"mostly-ascii utf-16le without a mark",
         le(u"name=値\nsize=12\n"),
         {LineEndStyle::Lf, Utf16Le},
         {"name=値", "size=12"}},
        {"mostly-ascii utf-16be without a mark",
         be(u"key: 値\r\n"),
         {LineEndStyle::Cr, Utf16Be},
         {"key: 値"}},
        {"euc-jp half-width katakana only",
         "\x8e\xb1\x8e\xb2\x8e\xb3\n\x8e\xdf\n",
         {LineEndStyle::Lf, EucJp},
         {"ｱｲｳ", "ﾟ"}},
        {"euc-jp with a jis x 0212 character",
         "\x8f\xb0\xa1\xa4\xa2\n",
         {LineEndStyle::Lf, EucJp},
         {"丂あ"}},
        {"one damaged character in short utf-8",
         "日本語の\xe6\x96テスト\n",
         {LineEndStyle::Lf, Utf8},
         {"日本語の\uFFFDテスト"}},
        {"utf-8 cut inside its last character",
         "テスト\xe3\x83",
         {LineEndStyle::Cr, Utf8},
         {"テスト\uFFFD"}},
        {"iso-2022-jp, each row from ascii",
         "\x1b$B$\"\x1b(B a\n$\"\n",
         {LineEndStyle::Lf, Iso2022Jp},
         {"あ a", "$\""}},
        {"pure ascii, lf", "a\nb\n", {LineEndStyle::Lf, Utf8}, {"a", "b"}},
        {"pure ascii, crlf", "a\r\nb\r\n", {LineEndStyle::Cr, Cp932}, {"a", "b"}},
    };
    for (const Case& c : cases) {
        LineStore store;
        ASSERT_TRUE(readBytes(store, c.bytes)) << c.name;
        EXPECT_EQ(formatName(store.format()), formatName(c.format)) << c.name;
        EXPECT_EQ(rowTexts(store), c.rows) << c.name;
    }
}

// A UTF-16 file arriving in pieces of any size, a piece ending inside a unit or between a CR
// and its LF, splits as the whole does; so does one without a mark, told from its first bytes.
TEST(Encodings, Utf16IndexedInPiecesSplitsAsTheWhole) {
    QString text;
    for (int i = 0; i < 400; ++i)
        text += i % 7 == 0 ? u"「本」《注》\n"_qs : i % 3 == 0 ? u"\r"_qs : u"line 」\r\n"_qs;
    for (const QByteArray& bytes :
         {"\xff\xfe" + utf16::encode(text, false), utf16::encode(text, true)}) {
        const TextFormat format{
            reference::styleOf(bytes, bytes.startsWith("\xff\xfe") ? Utf16Le : Utf16Be),
            bytes.startsWith("\xff\xfe") ? Utf16Le : Utf16Be};
        const std::vector<QByteArray> expected = reference::rowsOf(bytes, format);
        for (const std::size_t piece : {std::size_t(1), std::size_t(3), std::size_t(64),
                                        std::size_t(4097), std::size_t(bytes.size())}) {
            ByteBuffer buffer{ByteBuffer::allocate(std::size_t(bytes.size()) + LineStore::kSlack),
                              0};
            // What has not arrived yet reads as line ends, so a look past it shows.
            for (std::size_t i = 0; i < std::size_t(bytes.size()); ++i)
                buffer.data.get()[i] = i % 2 ? '\r' : '\0';
            LineStore store;
            store.beginIndex(std::size_t(bytes.size()));
            for (std::size_t got = 0; got < std::size_t(bytes.size());) {
                const std::size_t more = std::min(piece, std::size_t(bytes.size()) - got);
                std::memcpy(buffer.data.get() + got, bytes.constData() + got, more);
                got += more;
                if (got < std::size_t(bytes.size()))
                    store.indexRead(buffer.data.get(), got);
            }
            buffer.size = std::size_t(bytes.size());
            store.adopt(std::move(buffer));
            std::vector<QByteArray> got;
            for (std::size_t i = 0; i < store.rowCount(); ++i)
                got.push_back(store.rowBytes(i).toByteArray());
            EXPECT_EQ(store.format(), format) << piece;
            EXPECT_EQ(got, expected) << "pieces of " << piece;
        }
    }
}

// Read again in a format the person chooses: the bytes split and decode as that format says,
// and only its own byte order mark is left out of the rows.
TEST(Encodings, AForcedFormatOverridesTheBytes) {
    struct Case {
        const char* name;
        QByteArray bytes;
        TextFormat forced;
        QStringList rows;
    } cases[] = {
        {"code page 932 as euc-jp", "\xa4\xa2\r\n", {LineEndStyle::Cr, EucJp}, {"あ"}},
        {"euc-jp as code page 932", "\xa4\xa2\r\n", {LineEndStyle::Cr, Cp932}, {"､｢"}},
        {"crlf file in lf style", "a\r\nb\rc\n", {LineEndStyle::Lf, Cp932}, {"a", "b\rc"}},
        {"utf-16le with its mark",
         QByteArray("\xff\xfe"
                    "a\0\n\0",
                    6),
         {LineEndStyle::Lf, Utf16Le},
         {"a"}},
        {"a utf-8 mark kept in code page 932",
         "\xef\xbb\xbfx\n",
         {LineEndStyle::Lf, Cp932},
         {cp932::decode("\xef\xbb\xbfx")}},
    };
    for (const Case& c : cases) {
        LineStore store;
        ASSERT_TRUE(readBytes(store, c.bytes, c.forced)) << c.name;
        EXPECT_EQ(store.format(), c.forced) << c.name;
        EXPECT_EQ(rowTexts(store), c.rows) << c.name;
    }
}

} // namespace
