// Small controls that behave as the program's: a check box whose click goes between
// unchecked and checked while code may also make it grey, and a flat colour button whose
// face colour is the colour it stands for.
#pragma once

#include "render/Colors.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>

#include <QKeySequence>

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

// A label with an access key ("文字列(&C):"), shown underlined. The window decides what the
// key does (the next control after the label in tab order takes the focus); the label only
// draws it.
class AccessLabel : public QLabel {
    Q_OBJECT
public:
    AccessLabel(const QString& caption, QWidget* parent);
    const QString& caption() const { return m_caption; }
    QKeySequence accessKey() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
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
