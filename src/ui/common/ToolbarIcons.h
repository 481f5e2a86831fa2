// The toolbar pictures, drawn for this program at 16 x 16 in a few flat colours.
#pragma once

#include <QCursor>
#include <QIcon>

namespace kalvetra {

enum class ToolbarPicture { Open, Save, Create, CodeTable, Help, Redisplay, Move, Copy, Undo, Redo };

QIcon toolbarIcon(ToolbarPicture picture);

// The image window's canvas pointer in move mode: 32 x 32, hot spot at (10, 10).
QCursor moveModeCursor();

}  // namespace kalvetra
