// Font names across languages: fontconfig names a face in several, Qt lists it in the
// desktop's; these tests run on a Japanese desktop as well as in C.UTF-8.
#include "render/FontFamilies.h"
#include "render/FontSubstitution.h"

#include <QFontDatabase>

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

struct NamePair {
    const char16_t* english;
    const char16_t* japanese;
};

void PrintTo(const NamePair& p, std::ostream* os)
{
    *os << QString::fromUtf16(p.english).toStdString();
}

class OneFaceTwoNames : public ::testing::TestWithParam<NamePair> {};

}  // namespace

TEST_P(OneFaceTwoNames, AreTheSameFamilyWhicheverNameIsAsked)
{
    const QString english = QString::fromUtf16(GetParam().english);
    const QString japanese = QString::fromUtf16(GetParam().japanese);
    EXPECT_TRUE(fontFamilyNames(english).contains(japanese));
    EXPECT_TRUE(fontFamilyNames(japanese).contains(english));
    EXPECT_TRUE(sameFontFamily(english, japanese));
    EXPECT_TRUE(sameFontFamily(japanese, english.toLower()));

    // A list in either language has one entry for the face, found by either name.
    for (const QStringList& list : {QStringList{QStringLiteral("DejaVu Sans"), english},
                                    QStringList{QStringLiteral("DejaVu Sans"), japanese}}) {
        EXPECT_EQ(fontListIndex(list, english), 1);
        EXPECT_EQ(fontListIndex(list, japanese), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(IpaFaces, OneFaceTwoNames,
                         ::testing::Values(NamePair{u"IPAPGothic", u"IPA Pゴシック"}, NamePair{u"IPAGothic", u"IPAゴシック"},
                                           NamePair{u"IPAPMincho", u"IPA P明朝"}, NamePair{u"IPAMincho", u"IPA明朝"}));

TEST(FontFamilies, DifferentFacesAndMissingNamesStayApart)
{
    EXPECT_FALSE(sameFontFamily(QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")));
    EXPECT_FALSE(sameFontFamily(QStringLiteral("IPAゴシック"), QStringLiteral("IPA Pゴシック")));
    EXPECT_TRUE(fontFamilyNames(QStringLiteral("No Such Face")).isEmpty());
    EXPECT_TRUE(fontFamilyNames(QString()).isEmpty());
    EXPECT_FALSE(fontListIndex({QStringLiteral("IPAGothic")}, QStringLiteral("No Such Face")));
    EXPECT_FALSE(fontListIndex({QStringLiteral("IPAGothic")}, QStringLiteral("IPAPGothic")));
}

TEST(FontFamilies, TheListOffersEveryFamilyAndTheWindowsFacesInEveryLocale)
{
    const QStringList families = QFontDatabase::families();
    const QStringList list = fontListNames(families);
    // Every family has its entry; Qt's generic aliases are other families' faces.
    for (const QString& family : families)
        if (family != u"Sans Serif" && family != u"Serif" && family != u"Monospace") {
            EXPECT_TRUE(fontListIndex(list, family)) << family.toStdString();
        }
    for (const char16_t* face : {u"ＭＳ Ｐゴシック", u"ＭＳ ゴシック", u"ＭＳ 明朝", u"ＭＳ Ｐ明朝", u"ＭＳ UI Gothic", u"MS UI Gothic",
                                 u"メイリオ", u"Meiryo", u"MS Gothic", u"MS PGothic", u"MS Mincho"})
        EXPECT_TRUE(fontListIndex(list, QString::fromUtf16(face))) << QString::fromUtf16(face).toStdString();
    // The substitutes are found whatever name the desktop lists them under.
    EXPECT_TRUE(sameFontFamily(substituteFontFamily(QStringLiteral("ＭＳ Ｐゴシック")), QStringLiteral("IPAPGothic")));
    EXPECT_TRUE(sameFontFamily(substituteFontFamily(QStringLiteral("ＭＳ 明朝")), QStringLiteral("IPAMincho")));
}

TEST(FontFamilies, AWindowsFaceIsOfferedOnlyWithItsSubstitute)
{
    EXPECT_EQ(fontListNames({QStringLiteral("DejaVu Sans")}), QStringList{QStringLiteral("DejaVu Sans")});
    // Only the Gothic is listed, in Japanese: the Gothic faces come with it, the Mincho ones not.
    const QStringList gothic = fontListNames({QStringLiteral("IPA Pゴシック"), QStringLiteral("IPAゴシック")});
    EXPECT_TRUE(gothic.contains(QStringLiteral("ＭＳ Ｐゴシック")));
    EXPECT_TRUE(gothic.contains(QStringLiteral("メイリオ")));
    EXPECT_FALSE(gothic.contains(QStringLiteral("ＭＳ 明朝")));
}
