#include "EffectDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace kalvetra {

EffectDialog::EffectDialog(Dialogs& dialogs, const SoftEffects& effects, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_opened(effects)
{
    setWindowTitle(QStringLiteral("効果"));

    auto* shadow = new QGroupBox(QStringLiteral("影"), this);
    auto* shadowGrid = new QGridLayout(shadow);
    shadowBlur = addSlider(shadowGrid, 0, QStringLiteral("ぼかし(&B):"), 0, 50, effects.shadowBlur, QStringLiteral("px"));
    shadowOpacity = addSlider(shadowGrid, 1, QStringLiteral("不透明度(&O):"), 0, 100, effects.shadowOpacity,
                              QStringLiteral("%"));

    auto* glow = new QGroupBox(QStringLiteral("光彩"), this);
    auto* glowGrid = new QGridLayout(glow);
    glowEnable = new CheckBox(QStringLiteral("光彩(&G)"), glow);
    glowEnable->setValue(effects.glow ? 1 : 0);
    glowGrid->addWidget(glowEnable, 0, 0);
    glowColor = new ColorButton(glow);
    glowColor->setBackColor(effects.glowColor);
    glowColor->setFixedSize(33, 16);  // the size of the window's own colour buttons
    glowColor->setToolTip(QStringLiteral("光彩の色を選ぶ"));
    glowGrid->addWidget(glowColor, 0, 1);
    glowRadius = addSlider(glowGrid, 1, QStringLiteral("半径(&R):"), 1, 50, effects.glowRadius, QStringLiteral("px"));
    glowOpacity = addSlider(glowGrid, 2, QStringLiteral("不透明度(&P):"), 0, 100, effects.glowOpacity,
                            QStringLiteral("%"));

    connect(glowEnable, &QCheckBox::stateChanged, this, &EffectDialog::report);
    connect(glowColor, &QAbstractButton::clicked, this, &EffectDialog::chooseGlowColor);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Cancelled, the drawing goes back to what it was.
    connect(this, &QDialog::rejected, this, [this] { emit effectsChanged(m_opened); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(shadow);
    layout->addWidget(glow);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QSlider* EffectDialog::addSlider(QGridLayout* grid, int row, const QString& caption, int min, int max, int value,
                                 const QString& unit)
{
    QWidget* box = grid->parentWidget();
    auto* label = new QLabel(caption, box);
    auto* slider = new QSlider(Qt::Horizontal, box);
    slider->setRange(min, max);
    slider->setValue(std::clamp(value, min, max));
    slider->setPageStep(5);
    slider->setMinimumWidth(160);
    label->setBuddy(slider);
    auto* number = new QLabel(box);
    number->setMinimumWidth(number->fontMetrics().horizontalAdvance(QStringLiteral("100 px")));
    number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const auto show = [number, unit](int v) { number->setText(QString::number(v) + u' ' + unit); };
    show(slider->value());
    connect(slider, &QSlider::valueChanged, number, show);
    connect(slider, &QSlider::valueChanged, this, &EffectDialog::report);
    grid->addWidget(label, row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(number, row, 2);
    return slider;
}

SoftEffects EffectDialog::effects() const
{
    SoftEffects e;
    e.shadowBlur = shadowBlur->value();
    e.shadowOpacity = shadowOpacity->value();
    e.glow = glowEnable->value() != 0;
    e.glowColor = glowColor->backColor();
    e.glowRadius = glowRadius->value();
    e.glowOpacity = glowOpacity->value();
    return e;
}

void EffectDialog::chooseGlowColor()
{
    const ColorDialogResult chosen = m_dialogs.chooseColor(this, glowColor->backColor());
    if (chosen.outcome != DialogOutcome::Chosen)
        return;
    glowColor->setBackColor(chosen.color & 0xFFFFFF);
    // Choosing a glow colour means wanting the glow.
    if (glowEnable->value() == 0)
        glowEnable->setValue(1);
    else
        report();
}

void EffectDialog::report()
{
    emit effectsChanged(effects());
}

}  // namespace kalvetra
