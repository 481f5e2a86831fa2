// The gradient dialog of the settings window (グラデーション): for each layer colour ② .. ⑤ a
// switch, the second colour and the direction (縦 top to bottom, 横 left to right). It only
// gathers the values; the window applies them when the dialog is accepted.
#pragma once

#include "platform/Dialogs.h"
#include "render/Colors.h"
#include "render/LayerGradient.h"
#include "ui/common/Controls.h"

#include <QDialog>

#include <array>

class QRadioButton;

namespace kalvetra {

class GradientDialog : public QDialog {
    Q_OBJECT
public:
    // `colors` are the layers' own colours (shown as where each gradient starts); `inUse` says
    // which of ② .. ⑤ the selected decoration type paints - the others are greyed.
    GradientDialog(Dialogs& dialogs, const LayerGradients& gradients, const ColorSlots& colors,
                   const std::array<bool, GradientLayerCount>& inUse, QWidget* parent = nullptr);

    LayerGradients gradients() const;

    // The rows, by layer (② first), for the window's tests.
    std::array<CheckBox*, GradientLayerCount> enableBoxes{};
    std::array<ColorButton*, GradientLayerCount> colorButtons{};
    std::array<QRadioButton*, GradientLayerCount> verticalButtons{};
    std::array<QRadioButton*, GradientLayerCount> horizontalButtons{};

private:
    void chooseColor(int layer);

    Dialogs& m_dialogs;
};

}  // namespace kalvetra
