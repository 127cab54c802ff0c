// The Japanese font every window is given, and the font chooser.
#include "ui/FontChooser.h"
#include "ui/JapaneseFont.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

bool hasJapanese(const QString& family) {
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese);
}

TEST(JapaneseFont, EveryFontComesBackWithJapaneseCharactersAndItsSizeAndWeight) {
    const char* const families[] = {"Sans Serif", "DejaVu Sans", "Noto Sans CJK JP",
                                    "No Such Family At All"};
    for (const char* name : families) {
        QFont font(QString::fromLatin1(name), 13);
        font.setBold(true);
        const QFont japanese = withJapaneseFamily(font);
        EXPECT_TRUE(hasJapanese(japanese.family()))
            << name << " -> " << qPrintable(japanese.family());
        EXPECT_EQ(japanese.pointSize(), 13) << name;
        EXPECT_TRUE(japanese.bold()) << name;
        if (hasJapanese(font.family())) {
            EXPECT_EQ(japanese, font) << name; // a family with Japanese is kept
        }
    }
}

TEST(FontChooser, OffersFaceAndSizeWithAJapaneseSample) {
    QFont start = withJapaneseFamily(QApplication::font());
    start.setPointSizeF(9);
    FontChooser d(nullptr, start);
    EXPECT_EQ(d.families->currentItem()->text(), start.family());
    EXPECT_EQ(d.sizeBox->text(), QStringLiteral("9"));
    EXPECT_EQ(d.sizes->currentItem()->text(), QStringLiteral("9"));
    EXPECT_TRUE(d.sample->text().contains(QStringLiteral("あ")));
    // Nothing the program would drop: no weight, style or effects.
    EXPECT_TRUE(d.findChildren<QCheckBox*>().isEmpty());

    d.sizes->setCurrentItem(d.sizes->findItems(QStringLiteral("12"), Qt::MatchExactly).front());
    EXPECT_EQ(d.sizeBox->text(), QStringLiteral("12"));
    EXPECT_EQ(d.sample->font().pointSizeF(), 12);
    const QString other = d.families->item(0)->text();
    d.families->setCurrentRow(0);
    EXPECT_EQ(d.chosenFont().family(), other);
    EXPECT_EQ(d.sample->font().family(), other);
    EXPECT_EQ(d.chosenFont().pointSizeF(), 12);
}

TEST(FontChooser, AFaceThatIsNotInstalledStartsAtTheOneShownInItsPlace) {
    const QFont missing(QStringLiteral("No Such Face 12345"), 10);
    FontChooser d(nullptr, missing);
    ASSERT_NE(d.families->currentItem(), nullptr);
    EXPECT_EQ(d.families->currentItem()->text(), QFontInfo(missing).family());
    EXPECT_TRUE(d.ok->isEnabled());
}

TEST(FontChooser, TakesOnlySizesTheProgramTakes) {
    FontChooser d(nullptr, QApplication::font());
    // What the box keeps of each typed text, and whether OK takes it.
    const struct {
        const char* typed;
        const char* kept;
        bool taken;
    } cases[] = {{"10.5", "10.5", true}, {"72", "72", true},   {"", "", false},
                 {"0", "0", false},      {"abc", "", false},   {"-3", "3", true},
                 {"1000", "100", true},  {"10.", "10.", true}, {"0.5", "0.5", false}};
    for (const auto& c : cases) {
        d.sizeBox->clear();
        QTest::keyClicks(d.sizeBox, QString::fromLatin1(c.typed));
        EXPECT_EQ(d.sizeBox->text(), QString::fromLatin1(c.kept)) << c.typed;
        EXPECT_EQ(d.ok->isEnabled(), c.taken) << c.typed;
    }
    d.sizeBox->setText(QStringLiteral("10.5"));
    EXPECT_EQ(d.chosenFont().pointSizeF(), 10.5);
    // A size an input method commits in full-width digits, with a full-width point or the
    // ideographic full stop of its point key, reads as typed in ASCII.
    for (const QString& committed : {QStringLiteral("１２．５"), QStringLiteral("１２。５")}) {
        d.sizeBox->clear();
        QInputMethodEvent commit;
        commit.setCommitString(committed);
        QApplication::sendEvent(d.sizeBox, &commit);
        EXPECT_EQ(d.sizeBox->text(), QStringLiteral("12.5")) << qPrintable(committed);
        EXPECT_TRUE(d.ok->isEnabled());
    }
    EXPECT_TRUE(d.sizeBox->inputMethodHints() & Qt::ImhFormattedNumbersOnly);
    for (QWidget* named : {static_cast<QWidget*>(d.families), static_cast<QWidget*>(d.sizes)})
        EXPECT_FALSE(
            QAccessible::queryAccessibleInterface(named)->text(QAccessible::Name).isEmpty());
}

} // namespace
