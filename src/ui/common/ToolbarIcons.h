// The toolbar pictures, drawn for this program at 16 x 16 in a few flat colours.
#pragma once

#include <QIcon>

namespace kalvetra {

enum class ToolbarPicture { Open, Save, Create, CodeTable, Help, Redisplay, Move };

QIcon toolbarIcon(ToolbarPicture picture);

}  // namespace kalvetra
