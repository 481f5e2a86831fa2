// The effect dialog of the settings window (効果): the shadow's blur (ぼかし) and opacity
// (不透明度), and the glow (光彩): its switch, colour, radius and opacity. Every change is
// reported at once, so that the preview and the colour guide follow a slider while it moves;
// キャンセル reports the values the dialog opened with.
#pragma once

#include "platform/Dialogs.h"
#include "render/SoftLayer.h"
#include "ui/common/Controls.h"

#include <QDialog>

class QLabel;
class QGridLayout;
class QSlider;

namespace kalvetra {

class EffectDialog : public QDialog {
    Q_OBJECT
public:
    EffectDialog(Dialogs& dialogs, const SoftEffects& effects, QWidget* parent = nullptr);

    SoftEffects effects() const;

    // The controls, for the window's tests.
    QSlider* shadowBlur = nullptr;
    QSlider* shadowOpacity = nullptr;
    CheckBox* glowEnable = nullptr;
    ColorButton* glowColor = nullptr;
    QSlider* glowRadius = nullptr;
    QSlider* glowOpacity = nullptr;

signals:
    void effectsChanged(const kalvetra::SoftEffects& effects);

private:
    QSlider* addSlider(QGridLayout* grid, int row, const QString& caption, int min, int max, int value,
                       const QString& unit);
    void chooseGlowColor();
    void report();

    Dialogs& m_dialogs;
    SoftEffects m_opened;
};

}  // namespace kalvetra
