// Frames (group boxes) drawn as Windows draws them: the title stands on the border line, which
// runs at half the title's height, so that controls placed from the frame's corner at the
// designed twips sit below the title, inside the border. Qt's own group boxes draw the line
// below the title, through the designed first row of controls.
#pragma once

class QGroupBox;

namespace kalvetra {

// Gives `box` the Windows frame; its controls keep the application's style.
void useWindowsFrame(QGroupBox* box);

}  // namespace kalvetra
