// The program's icon: an outlined red "カ" on a blue tile, drawn at every size it is shown.
// The small sizes (16 and 32) are drawn without antialiasing in a handful of colours, as a
// 16-colour icon is; the large ones are smooth. The same drawing gives the scalable SVG.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

namespace kalvetra {

QImage programIconImage(int size);
QIcon programIcon();
// The icon as an SVG document of paths (no fonts needed to show it).
QString programIconSvg();

}  // namespace kalvetra
