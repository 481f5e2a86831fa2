#include "DecorationType.h"

namespace kalvetra {

QString decorationCaption(DecorationType type)
{
    switch (type) {
    case DecorationType::SolidOutline:
        return QStringLiteral("立体縁取り");
    case DecorationType::TripleOutline:
        return QStringLiteral("三重縁取り");
    case DecorationType::DoubleOutline:
        return QStringLiteral("二重縁取り");
    case DecorationType::SingleOutline:
        return QStringLiteral("一重縁取り");
    case DecorationType::Normal:
        return QStringLiteral("ノーマル");
    case DecorationType::None:
        break;
    }
    return {};
}

SlotDefaults decorationDefaultColors(DecorationType type)
{
    constexpr ColorValue white = colorValue(255, 255, 255);
    switch (type) {
    case DecorationType::SolidOutline:
        return {colorValue(0, 0, 255), white, colorValue(255, 0, 0), white, colorValue(0, 0, 255)};
    case DecorationType::TripleOutline:
        return {colorValue(130, 130, 255), white, colorValue(0, 0, 255), white, colorValue(255, 0, 0)};
    case DecorationType::DoubleOutline:
        return {colorValue(0, 0, 150), white, colorValue(255, 0, 0), colorValue(255, 255, 0), std::nullopt};
    case DecorationType::SingleOutline:
        // NOTE: blue 5, not 0 - the type's ③ is deliberately this colour.
        return {colorValue(130, 130, 255), white, colorValue(255, 0, 5), std::nullopt, std::nullopt};
    case DecorationType::Normal:
        return {colorValue(130, 130, 255), white, std::nullopt, std::nullopt, std::nullopt};
    case DecorationType::None:
        break;
    }
    return {};
}

std::optional<DecorationVisibility> decorationVisibility(DecorationType type)
{
    switch (type) {
    case DecorationType::SolidOutline:
        return DecorationVisibility{true, true, true, true, true};
    case DecorationType::TripleOutline:
        return DecorationVisibility{true, true, true, true, false};
    case DecorationType::DoubleOutline:
        return DecorationVisibility{true, true, false, true, false};
    case DecorationType::SingleOutline:
        return DecorationVisibility{true, false, false, true, false};
    case DecorationType::Normal:
        return DecorationVisibility{false, false, false, false, false};
    case DecorationType::None:
        break;
    }
    return std::nullopt;
}

int sketchFaceSlot(DecorationType type)
{
    switch (type) {
    case DecorationType::SolidOutline:
    case DecorationType::TripleOutline:
        return Layer4Slot;
    case DecorationType::DoubleOutline:
        return Layer3Slot;
    case DecorationType::SingleOutline:
        return Layer2Slot;
    case DecorationType::Normal:
    case DecorationType::None:
        break;
    }
    return Layer1Slot;
}

}  // namespace kalvetra
