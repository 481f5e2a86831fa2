// A style's picture as kalvetra-render draws it (`--settings STYLE --text TEXT`), and the
// thumbnail the style gallery shows of it. QtGui only.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace kalvetra::cli {

// The picture `kalvetra-render --settings settingsFile --text text -o NAME.png` writes;
// a null image when there is nothing to draw or the drawing is too large.
QImage drawStylePicture(const QString& settingsFile, const QString& text);

// `picture` made to fit `box`, its proportions kept and never enlarged.
QImage thumbnailOf(const QImage& picture, QSize box);

}  // namespace kalvetra::cli
