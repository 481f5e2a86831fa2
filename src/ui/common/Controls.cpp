#include "Controls.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace kalvetra {

CheckBox::CheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent)
{
    setTristate(true);
}

int CheckBox::value() const
{
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

void CheckBox::setValue(int value)
{
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void CheckBox::nextCheckState()
{
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

AccessLabel::AccessLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent), m_caption(caption)
{
}

void AccessLabel::paintEvent(QPaintEvent*)
{
    // Drawn as buttons draw their captions: the "&" hidden, the key's letter underlined.
    QPainter p(this);
    style()->drawItemText(&p, contentsRect(), static_cast<int>(alignment()) | Qt::TextShowMnemonic, palette(),
                          isEnabled(), m_caption, foregroundRole());
}

QSize AccessLabel::sizeHint() const
{
    QString shown = m_caption;
    shown.remove(shown.indexOf(u'&'), 1);
    return fontMetrics().size(Qt::TextSingleLine, shown) + QSize(2, 0);
}

QKeySequence AccessLabel::accessKey() const
{
    return QKeySequence::mnemonic(m_caption);
}

ColorButton::ColorButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void ColorButton::setBackColor(ColorValue color)
{
    m_color = color;
    update();
}

void ColorButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, toQColor(m_color));
    // A raised edge, pressed in while held down, like a command button's face.
    const QPalette& pal = palette();
    const bool down = isDown();
    p.setPen(down ? pal.color(QPalette::Shadow) : pal.color(QPalette::Light));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(down ? pal.color(QPalette::Light) : pal.color(QPalette::Shadow));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    if (hasFocus()) {
        QPen pen(redOf(m_color) + greenOf(m_color) + blueOf(m_color) > 384 ? Qt::black : Qt::white);
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.drawRect(r.adjusted(2, 2, -3, -3));
    }
}

}  // namespace kalvetra
