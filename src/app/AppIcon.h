// The program's icon: an outlined red "カ" on a blue tile, drawn at every size it is shown.
#pragma once

#include <QIcon>
#include <QImage>

namespace kalvetra {

QImage programIconImage(int size);
QIcon programIcon();

}  // namespace kalvetra
