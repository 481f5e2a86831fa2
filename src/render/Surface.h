// A drawing surface as the program's picture boxes behave: a pixel image with a
// background colour and an optional picture shown at its top-left corner under all
// drawing. Clearing restores colour and picture. QtGui only.
#pragma once

#include "Colors.h"

#include <QImage>
#include <QSize>

namespace kalvetra {

class Surface {
public:
    Surface() = default;
    explicit Surface(const QSize& size);

    // Keeps the content where the new size overlaps the old one.
    void resize(const QSize& size);
    QSize size() const { return m_image.size(); }
    int scaleWidth() const { return m_image.width(); }
    int scaleHeight() const { return m_image.height(); }

    // Format_ARGB32_Premultiplied.
    QImage& image() { return m_image; }
    const QImage& image() const { return m_image; }

    ColorValue backColor() const { return m_backColor; }
    // Setting the background colour fills the surface with it (and shows the picture).
    void setBackColor(ColorValue color);
    // A transparent background instead of the colour (for pictures with an alpha channel).
    void setTransparentBackground(bool transparent);

    // Format_ARGB32_Premultiplied, converted once when the picture is set.
    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);  // a null image removes it

    // Cls: the background colour (or transparency), then the picture.
    void clear();

private:
    QImage m_image;
    ColorValue m_backColor = colorValue(255, 255, 255);
    bool m_transparent = false;
    QImage m_picture;
    qint64 m_pictureSource = 0;  // cacheKey of the image m_picture was made from
    bool m_pictureOpaque = false;
};

}  // namespace kalvetra
