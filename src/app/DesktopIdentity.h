// Who the running program is to the desktop. The application name becomes the class of its
// X windows (WM_CLASS), which the launcher entry names in StartupWMClass, and the desktop
// file name ties the windows to that entry on Wayland: so docks and task bars show the
// entry's icon and name for the running program.
#pragma once

namespace kalvetra {

inline constexpr char ApplicationName[] = "Kalvetra";
inline constexpr char DesktopFileName[] = "io.github.kalvetra.Kalvetra";

// Names the application after the launcher entry; call before the first window.
void identifyToDesktop();

}  // namespace kalvetra
