#include "GradientDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kalvetra {
namespace {

// ② .. ⑤ with the digit as access key, as the window's other captions carry theirs.
QString layerCaption(int layer)
{
    static const char16_t* const captions[] = {u"②(&2)", u"③(&3)", u"④(&4)", u"⑤(&5)"};
    return QString::fromUtf16(captions[layer]);
}

}  // namespace

GradientDialog::GradientDialog(Dialogs& dialogs, const LayerGradients& gradients, const ColorSlots& colors,
                               const std::array<bool, GradientLayerCount>& inUse, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs)
{
    setWindowTitle(QStringLiteral("グラデーション"));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("色"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("2色目"), this), 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("方向"), this), 0, 4, 1, 2);
    const QSize swatch(33, 16);  // the size of the window's own colour buttons
    for (int i = 0; i < GradientLayerCount; ++i) {
        const LayerGradient& g = gradients[static_cast<size_t>(i)];
        const int row = i + 1;

        enableBoxes[i] = new CheckBox(layerCaption(i), this);
        enableBoxes[i]->setValue(g.enabled ? 1 : 0);
        grid->addWidget(enableBoxes[i], row, 0);

        // Where the gradient starts: the layer's own colour, set in the window.
        auto* first = new ColorButton(this);
        first->setBackColor(colors[static_cast<size_t>(Layer1Slot + i)]);
        first->setFixedSize(swatch);
        first->setEnabled(false);
        first->setFocusPolicy(Qt::NoFocus);
        grid->addWidget(first, row, 1);
        grid->addWidget(new QLabel(QStringLiteral("→"), this), row, 2);

        colorButtons[i] = new ColorButton(this);
        colorButtons[i]->setBackColor(g.color);
        colorButtons[i]->setFixedSize(swatch);
        colorButtons[i]->setToolTip(QStringLiteral("2色目を選ぶ"));
        connect(colorButtons[i], &QAbstractButton::clicked, this, [this, i] { chooseColor(i); });
        grid->addWidget(colorButtons[i], row, 3);

        verticalButtons[i] = new QRadioButton(QStringLiteral("縦"), this);
        horizontalButtons[i] = new QRadioButton(QStringLiteral("横"), this);
        auto* direction = new QButtonGroup(this);
        direction->addButton(verticalButtons[i]);
        direction->addButton(horizontalButtons[i]);
        (g.horizontal ? horizontalButtons[i] : verticalButtons[i])->setChecked(true);
        grid->addWidget(verticalButtons[i], row, 4);
        grid->addWidget(horizontalButtons[i], row, 5);

        for (QWidget* w : std::initializer_list<QWidget*>{enableBoxes[i], colorButtons[i], verticalButtons[i],
                                                          horizontalButtons[i]})
            w->setEnabled(inUse[static_cast<size_t>(i)]);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    setLayout(layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

LayerGradients GradientDialog::gradients() const
{
    LayerGradients out;
    for (int i = 0; i < GradientLayerCount; ++i) {
        LayerGradient& g = out[static_cast<size_t>(i)];
        g.enabled = enableBoxes[i]->value() != 0;
        g.color = colorButtons[i]->backColor();
        g.horizontal = horizontalButtons[i]->isChecked();
    }
    return out;
}

void GradientDialog::chooseColor(int layer)
{
    const ColorDialogResult chosen = m_dialogs.chooseColor(this, colorButtons[layer]->backColor());
    if (chosen.outcome != DialogOutcome::Chosen)
        return;
    colorButtons[layer]->setBackColor(chosen.color & 0xFFFFFF);
    // Choosing a second colour means wanting the gradient.
    enableBoxes[layer]->setValue(1);
}

}  // namespace kalvetra
