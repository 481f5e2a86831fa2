#include "FontSubstitution.h"

#include "FontFamilies.h"

#include <array>
#include <utility>

namespace kalvetra {
namespace {

struct Substitute {
    const char16_t* windowsFace;
    const char16_t* preferred;
    const char16_t* fallback;
};

// NOTE: fontconfig alone maps these names to a Latin face in the C locale, so the table
// is applied before Qt ever sees the name.
constexpr std::array<Substitute, 14> substitutes{{
    {u"ＭＳ Ｐゴシック", u"IPAPGothic", u"IPAGothic"},
    {u"MS PGothic", u"IPAPGothic", u"IPAGothic"},
    {u"ＭＳ ゴシック", u"IPAGothic", u"IPAPGothic"},
    {u"MS Gothic", u"IPAGothic", u"IPAPGothic"},
    {u"ＭＳ Ｐ明朝", u"IPAPMincho", u"IPAMincho"},
    {u"MS PMincho", u"IPAPMincho", u"IPAMincho"},
    {u"ＭＳ 明朝", u"IPAMincho", u"IPAPMincho"},
    {u"MS Mincho", u"IPAMincho", u"IPAPMincho"},
    {u"MS UI Gothic", u"IPAPGothic", u"IPAGothic"},
    {u"ＭＳ UI Gothic", u"IPAPGothic", u"IPAGothic"},
    {u"MS UI ゴシック", u"IPAPGothic", u"IPAGothic"},
    {u"メイリオ", u"IPAPGothic", u"IPAGothic"},
    {u"Meiryo", u"IPAPGothic", u"IPAGothic"},
    {u"Meiryo UI", u"IPAPGothic", u"IPAGothic"},
}};

const Substitute* findSubstitute(const QString& family)
{
    for (const Substitute& s : substitutes)
        if (family.compare(QString::fromUtf16(s.windowsFace), Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

}  // namespace

QString substituteFontFamily(const QString& family)
{
    const Substitute* s = findSubstitute(family);
    if (!s)
        return family;
    const QString preferred = QString::fromUtf16(s->preferred);
    // NOTE: the installed names are asked of fontconfig, not of Qt's list, which holds each
    // family under one name only - "IPA Pゴシック" on a Japanese desktop.
    if (isInstalledFontFamily(preferred))
        return preferred;
    const QString fallback = QString::fromUtf16(s->fallback);
    if (isInstalledFontFamily(fallback))
        return fallback;
    // Mincho missing: any IPA Gothic still draws Japanese rather than boxes.
    for (const QString& other : {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")})
        if (isInstalledFontFamily(other))
            return other;
    return preferred;
}

QStringList windowsFacesWithSubstitutes()
{
    QStringList faces;
    for (const Substitute& s : substitutes)
        faces << QString::fromUtf16(s.windowsFace);
    return faces;
}

bool hasFontSubstitute(const QString& family)
{
    return findSubstitute(family) != nullptr;
}

}  // namespace kalvetra
