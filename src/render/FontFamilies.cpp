#include "FontFamilies.h"

#include "FontSubstitution.h"

#include <QRegularExpression>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace kalvetra {
namespace {

// fontconfig's comparison of family names: blanks and case do not count.
QString comparable(const QString& name)
{
    QString s = name;
    s.remove(u' ');
    return s.toCaseFolded();
}

struct FamilyName {
    QString name;
    QString language;
};

QString stringAt(FcPattern* pattern, const char* object, int index)
{
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, index, &value) != FcResultMatch)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(value));
}

// The family names of every installed font that answers to `name`, with their languages.
std::vector<std::vector<FamilyName>> installedFamilies(const QString& name)
{
    std::vector<std::vector<FamilyName>> families;
    const QByteArray utf8 = name.toUtf8();
    const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(), FcPatternDestroy);
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.constData()));
    const std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
        FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, nullptr), FcObjectSetDestroy);
    const std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(
        FcFontList(nullptr, pattern.get(), objects.get()), FcFontSetDestroy);
    if (!fonts)
        return families;
    for (int f = 0; f < fonts->nfont; ++f) {
        std::vector<FamilyName>& names = families.emplace_back();
        for (int k = 0;; ++k) {
            const QString family = stringAt(fonts->fonts[f], FC_FAMILY, k);
            if (family.isEmpty())
                break;
            names.push_back({family, stringAt(fonts->fonts[f], FC_FAMILYLANG, k)});
        }
    }
    return families;
}

// Qt's names for fontconfig's generic aliases: no face of their own, each is some other entry.
bool isGenericFamily(const QString& family)
{
    return family == u"Sans Serif" || family == u"Serif" || family == u"Monospace";
}

// Qt tags a family that several foundries make with the foundry ("Nimbus Sans [urw]"); the
// faces look the same, so the list shows the family once.
QString withoutFoundry(const QString& family)
{
    static const QRegularExpression tag(QStringLiteral(R"(\s*\[[^\]]*\]$)"));
    QString name = family;
    name.remove(tag);
    return name.isEmpty() ? family : name;
}

// Windows spellings that differ from another entry's only in the width of their letters.
// The entry stands for them; a settings file's spelling is kept.
QString lookAlikeOf(const QString& face)
{
    if (face.compare(QStringLiteral("ＭＳ UI Gothic"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("MS UI Gothic");
    return {};
}

// The face a name stands for in the font list: without its foundry tag, a look-alike as the
// spelling it looks like, case aside.
QString faceKey(const QString& name)
{
    const QString alike = lookAlikeOf(name);
    return (alike.isEmpty() ? withoutFoundry(name) : alike).toCaseFolded();
}

}  // namespace

bool fontListOrder(const QString& a, const QString& b)
{
    // Full-width letters sort as their plain forms: ＭＳ Ｐゴシック comes among the M's.
    const auto key = [](const QString& s) { return s.normalized(QString::NormalizationForm_KC).toCaseFolded(); };
    const int byKey = key(a).compare(key(b));
    return byKey != 0 ? byKey < 0 : a < b;
}

QStringList fontFamilyNames(const QString& name)
{
    QStringList names;
    if (comparable(name).isEmpty())
        return names;
    const QString wanted = comparable(name);
    QStringList seen;
    for (const std::vector<FamilyName>& family : installedFamilies(name)) {
        const auto own = std::find_if(family.begin(), family.end(),
                                      [&](const FamilyName& n) { return comparable(n.name) == wanted; });
        if (own == family.end())
            continue;
        // NOTE: a further name in the same language is a subfamily ("DejaVu Sans Light" of
        // a light "DejaVu Sans"), a face of its own; only other languages name the same face.
        for (const FamilyName& n : family)
            if ((&n == &*own || n.language != own->language) && !seen.contains(comparable(n.name))) {
                seen << comparable(n.name);
                names << n.name;
            }
    }
    return names;
}

bool isInstalledFontFamily(const QString& name)
{
    return !fontFamilyNames(name).isEmpty();
}

bool sameFontFamily(const QString& a, const QString& b)
{
    if (a.compare(b, Qt::CaseInsensitive) == 0)
        return true;
    const QString other = comparable(b);
    for (const QString& n : fontFamilyNames(a))
        if (comparable(n) == other)
            return true;
    return false;
}

QStringList acceptedFontNames(const QStringList& families)
{
    QStringList names = families;
    for (const QString& face : windowsFacesWithSubstitutes())
        if (!names.contains(face, Qt::CaseInsensitive) && fontListIndex(families, substituteFontFamily(face)))
            names << face;
    return names;
}

QStringList fontListNames(const QStringList& families)
{
    QStringList names;
    for (const QString& family : acceptedFontNames(families)) {
        if (isGenericFamily(family) || !lookAlikeOf(family).isEmpty())
            continue;
        const QString face = withoutFoundry(family);
        if (!names.contains(face, Qt::CaseInsensitive))
            names << face;
    }
    std::sort(names.begin(), names.end(), fontListOrder);
    return names;
}

std::optional<qsizetype> fontListIndex(const QStringList& entries, const QString& name)
{
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (entries[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    // An entry may show another spelling of the face: the one a settings file gave it.
    const QString key = faceKey(name);
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (faceKey(entries[i]) == key)
            return i;
    QStringList others;
    for (const QString& n : fontFamilyNames(name))
        others << comparable(n);
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (others.contains(comparable(entries[i])))
            return i;
    return std::nullopt;
}

}  // namespace kalvetra
