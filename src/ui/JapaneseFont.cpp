#include "JapaneseFont.h"

#include <fontconfig/fontconfig.h>
#include <optional>

namespace {

// The family the system matches for family with Japanese as the language, when the font it
// finds has the Japanese characters.
std::optional<QString> japaneseMatch(const QByteArray& family) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return std::nullopt;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    std::optional<QString> found;
    FcLangSet* languages = nullptr;
    FcChar8* name = nullptr;
    if (match && FcPatternGetLangSet(match, FC_LANG, 0, &languages) == FcResultMatch &&
        FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual &&
        FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
        found = QString::fromUtf8(reinterpret_cast<const char*>(name));
    if (match)
        FcPatternDestroy(match);
    return found;
}

} // namespace

QFont withJapaneseFamily(const QFont& font) {
    // The font's own family first (an alias such as "Sans Serif" resolves to a Japanese family
    // here), then the generic sans-serif family.
    std::optional<QString> family = japaneseMatch(font.family().toUtf8());
    if (!family)
        family = japaneseMatch("sans-serif");
    if (!family || *family == font.family())
        return font;
    QFont japanese = font;
    japanese.setFamilies(QStringList{*family});
    return japanese;
}
