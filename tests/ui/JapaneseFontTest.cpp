#include "ui/JapaneseFont.h"

#include <QFontDatabase>
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
    }
}

TEST(JapaneseFont, AFamilyWithJapaneseIsKept) {
    const QFont font(QStringLiteral("Noto Sans CJK JP"), 9);
    EXPECT_EQ(withJapaneseFamily(font), font);
}

} // namespace
