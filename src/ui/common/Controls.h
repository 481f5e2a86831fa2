// Small controls that behave as the program's: a check box whose click goes between
// unchecked and checked while code may also make it grey, and a flat colour button whose
// face colour is the colour it stands for.
#pragma once

#include "render/Colors.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>

#include <functional>

namespace kalvetra {

// Values 0 (unchecked), 1 (checked), 2 (grey). A click never makes it grey.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(const QString& text, QWidget* parent = nullptr);
    int value() const;
    void setValue(int value);  // raises stateChanged when the value changes

protected:
    void nextCheckState() override;
};

// A label with an access key ("文字列(&C):"): the key moves the focus to the next control
// after the label in tab order that can take it, and never clicks it.
class AccessLabel : public QLabel {
    Q_OBJECT
public:
    AccessLabel(const QString& text, QWidget* parent);
    // `next` finds the control to focus when the key is pressed.
    void setFocusTarget(std::function<QWidget*()> next);

protected:
    bool event(QEvent* event) override;

private:
    std::function<QWidget*()> m_next;
};

class ColorButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ColorButton(QWidget* parent = nullptr);
    ColorValue backColor() const { return m_color; }
    void setBackColor(ColorValue color);  // runs no handler

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColorValue m_color = 0;
};

}  // namespace kalvetra
