#include "cli/RenderOptions.h"

#include <gtest/gtest.h>

using namespace kalvetra;
using namespace kalvetra::cli;

namespace {

RenderOptions parsed(QStringList args)
{
    args << QStringLiteral("--text") << QStringLiteral("字") << QStringLiteral("-o") << QStringLiteral("out.png");
    auto result = parseRenderOptions(args);
    if (auto* error = std::get_if<ParseError>(&result)) {
        ADD_FAILURE() << error->message.toStdString();
        return {};
    }
    return std::get<RenderOptions>(result);
}

QString refusal(const QStringList& args)
{
    auto result = parseRenderOptions(args);
    if (auto* error = std::get_if<ParseError>(&result))
        return error->message;
    return QStringLiteral("(accepted)");
}

QStringList withOutput(QStringList args)
{
    return args << QStringLiteral("--text") << QStringLiteral("x") << QStringLiteral("-o") << QStringLiteral("x.png");
}

}  // namespace

TEST(RenderOptions, StartsFromTheProgramsStartUpState)
{
    const RenderOptions o = parsed({});
    EXPECT_EQ(o.type, DecorationType::TripleOutline);
    EXPECT_EQ(o.settings.FontName, QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(o.settings.FontSize, 50.0f);
    EXPECT_EQ(o.settings.FontAspect, 100);
    EXPECT_EQ((std::tuple{o.settings.Bordering, o.settings.ShadowPosition, o.settings.Solid}), (std::tuple{5, 9, 5}));
    EXPECT_EQ(o.settings.ShadowEnable, 0);
    EXPECT_EQ(o.settings.TwiceDraw, False);
    const ColorSlots triple = {colorValue(130, 130, 255), colorValue(255, 255, 255), colorValue(0, 0, 255),
                               colorValue(255, 255, 255), colorValue(255, 0, 0),     colorValue(0, 0, 0)};
    EXPECT_EQ(o.settings.Colors, triple);
    EXPECT_EQ(o.engine, Engine::Fast);
}

TEST(RenderOptions, TypeBringsItsColoursAndGivenColoursWin)
{
    const RenderOptions d = parsed({QStringLiteral("--type"), QStringLiteral("2")});
    EXPECT_EQ(d.settings.Colors[0], colorValue(0, 0, 150));
    EXPECT_EQ(d.settings.Colors[3], colorValue(255, 255, 0));
    EXPECT_EQ(d.settings.Colors[4], colorValue(255, 0, 0));  // the double outline leaves ⑤ as it was

    // Order on the command line does not matter: a colour given overrides the type's.
    const RenderOptions o = parsed({QStringLiteral("--color0"), QStringLiteral("1,2,3"), QStringLiteral("--type"),
                                    QStringLiteral("4"), QStringLiteral("--color5"), QStringLiteral("9,8,7")});
    EXPECT_EQ(o.settings.Colors[0], colorValue(1, 2, 3));
    EXPECT_EQ(o.settings.Colors[1], colorValue(255, 255, 255));
    EXPECT_EQ(o.settings.Colors[5], colorValue(9, 8, 7));
}

TEST(RenderOptions, StyleSwitchesAndNumbers)
{
    const RenderOptions o = parsed({"--bold", "--italic", "--underline", "--strikeout", "--vertical", "--twice-draw",
                                    "--shadow", "--size", "500", "--width", "10", "--angle", "22.5", "--bordering",
                                    "30", "--solid", "0", "--shadow-position", "20", "--engine", "stamp", "--canvas",
                                    "640x480", "--anchor", "-5,7", "--time", "--repeat", "3", "--ring-shape", "round"});
    EXPECT_EQ(o.settings.FontBold, True);
    EXPECT_EQ(o.settings.FontUpToDown, True);
    EXPECT_EQ(o.settings.TwiceDraw, True);
    EXPECT_EQ(o.settings.ShadowEnable, 1);
    EXPECT_EQ(o.settings.FontSize, 500.0f);
    EXPECT_EQ(o.settings.FontAspect, 10);
    EXPECT_EQ(o.settings.FontEscape, 22.5f);
    EXPECT_EQ(o.settings.Bordering, 30);
    EXPECT_EQ(o.settings.Solid, 0);
    EXPECT_EQ(o.settings.ShadowPosition, 20);
    EXPECT_EQ(o.engine, Engine::Stamp);
    EXPECT_EQ(o.canvas, QSize(640, 480));
    EXPECT_EQ(o.anchor, (Point{-5, 7}));
    EXPECT_EQ(o.repeat, 3);
    EXPECT_EQ(o.settings.RingShape, 1);
    EXPECT_EQ(parsed({"--ring-shape", "square"}).settings.RingShape, 0);
}

TEST(RenderOptions, EveryBadInputIsRefusedWithItsReason)
{
    const std::vector<std::pair<QStringList, QString>> cases = {
        {withOutput({"--frobnicate"}), "unknown option --frobnicate"},
        {{"--text"}, "--text needs a value"},
        {withOutput({"--size", "abc"}), "--size: \"abc\" is not a whole number"},
        {withOutput({"--size", "9"}), "--size: 9 is out of range (10 to 500)"},
        {withOutput({"--size", "12.5"}), "--size: \"12.5\" is not a whole number"},
        {withOutput({"--width", "501"}), "--width: 501 is out of range (10 to 500)"},
        {withOutput({"--angle", "361"}), "--angle: 361 is out of range (0 to 360)"},
        {withOutput({"--angle", "1e400"}), "--angle: \"1e400\" is not a number"},
        {withOutput({"--bordering", "0"}), "--bordering: 0 is out of range (1 to 30)"},
        {withOutput({"--shadow-blur", "51"}), "--shadow-blur: 51 is out of range (0 to 50)"},
        {withOutput({"--glow-radius", "0"}), "--glow-radius: 0 is out of range (1 to 50)"},
        {withOutput({"--glow-opacity", "101"}), "--glow-opacity: 101 is out of range (0 to 100)"},
        {withOutput({"--glow", "255,0"}), "--glow: \"255,0\" is not a colour R,G,B with each part 0 to 255"},
        {withOutput({"--solid", "21"}), "--solid: 21 is out of range (0 to 20)"},
        {withOutput({"--shadow-position", "-1"}), "--shadow-position: -1 is out of range (0 to 20)"},
        {withOutput({"--type", "5"}), "--type: 5 is out of range (0 to 4)"},
        {withOutput({"--color2", "256,0,0"}), "--color2: \"256,0,0\" is not a colour R,G,B with each part 0 to 255"},
        {withOutput({"--color1", "1,2"}), "--color1: \"1,2\" is not a colour R,G,B with each part 0 to 255"},
        {withOutput({"--gradient4", "0,0,-1"}), "--gradient4: \"0,0,-1\" is not a colour R,G,B with each part 0 to 255"},
        {withOutput({"--gradient5", "0,0,0"}), "unknown option --gradient5"},
        {withOutput({"--gradient0", "0,0,0"}), "unknown option --gradient0"},
        {withOutput({"--gradient-horizontal5"}), "unknown option --gradient-horizontal5"},
        {withOutput({"--canvas", "0x10"}), "--canvas: each side must be 1 to 16384 pixels"},
        {withOutput({"--canvas", "big"}), "--canvas: \"big\" is not WIDTHxHEIGHT"},
        {withOutput({"--anchor", "1;2"}), "--anchor: \"1;2\" is not X,Y"},
        {withOutput({"--anchor", "999999999,5"}), "--anchor: 999999999,5 is out of range (each of X and Y -1000000 to 1000000)"},
        {withOutput({"--engine", "gdi"}), "--engine: \"gdi\" is not textout, stamp or fast"},
        {withOutput({"--ring-shape", "1"}), "--ring-shape: \"1\" is not square or round"},
        {withOutput({"--repeat", "0"}), "--repeat: 0 is out of range (1 to 100000)"},
        {{"-o", "x.png"}, "--text is missing"},
        {{"--text", "x"}, "-o OUTPUT is missing"},
        {{"--text", "x", "-o", "x.gif"}, "x.gif: unsupported output format (use .png, .jpg, .jpeg, .bmp, .wmf, .emf, .svg or .pdf)"},
        {{"--text", "x", "-o", "x.jpg", "--transparent"}, "--transparent needs a .png, .svg or .pdf output"},
        {{"--text", "x", "-o", "-", "--format", "gif"}, "--format: \"gif\" is not png, jpg, jpeg, bmp, wmf, emf, svg or pdf"},
        {{"--text", "x", "-o", "-", "--format", "jpg", "--transparent"}, "--transparent needs a .png, .svg or .pdf output"},
        {{"--text", "x", "-o", "-", "--format"}, "--format needs a value"},
    };
    for (const auto& [args, message] : cases)
        EXPECT_EQ(refusal(args), message) << args.join(u' ').toStdString();
}

TEST(RenderOptions, SoftLightOptionsSetTheEffectValuesAndAGlowColourTurnsTheGlowOn)
{
    const RenderOptions o = parsed({"--shadow-blur", "12", "--shadow-opacity", "60", "--glow", "255,128,0",
                                    "--glow-radius", "25", "--glow-opacity", "40"});
    EXPECT_EQ(o.settings.ShadowBlur, 12);
    EXPECT_EQ(o.settings.ShadowOpacity, 60);
    EXPECT_TRUE(o.settings.GlowEnable);
    EXPECT_EQ(o.settings.GlowColor, colorValue(255, 128, 0));
    EXPECT_EQ(o.settings.GlowRadius, 25);
    EXPECT_EQ(o.settings.GlowOpacity, 40);
    EXPECT_FALSE(parsed({"--glow-radius", "25"}).settings.GlowEnable);
}

TEST(RenderOptions, StandardOutputIsPngUnlessFormatSaysOtherwise)
{
    using imagefile::ImageFormat;
    const std::pair<QStringList, ImageFormat> cases[] = {
        {{"-o", "-"}, ImageFormat::Png},
        {{"-o", "-", "--format", "JPG"}, ImageFormat::Jpeg},
        {{"--format", "bmp", "-o", "-"}, ImageFormat::Bmp},
        {{"-o", "-", "--format", "emf"}, ImageFormat::Emf},
        {{"-o", "x.jpeg"}, ImageFormat::Jpeg},
        {{"-o", "x.dat", "--format", "wmf"}, ImageFormat::Wmf},  // a named format wins over the name
        {{"-o", "-", "--transparent"}, ImageFormat::Png},
    };
    for (const auto& [args, format] : cases) {
        auto result = parseRenderOptions(QStringList{"--text", "x"} + args);
        ASSERT_TRUE(std::holds_alternative<RenderOptions>(result)) << args.join(u' ').toStdString();
        EXPECT_EQ(std::get<RenderOptions>(result).format, format) << args.join(u' ').toStdString();
    }
}

TEST(RenderOptions, OutputFormatFollowsTheExtensionWhateverItsCase)
{
    for (const char* name : {"a.PNG", "b.Jpg", "c.jpeg", "d.BMP", "e.wmf", "f.EMF"})
        EXPECT_EQ(refusal({"--text", "x", "-o", name}), QStringLiteral("(accepted)")) << name;
}
