// Handing an address to the desktop, as the shell's open operation does: the result is a
// Windows-style code, above 32 for success.
#pragma once

#include <QString>

#include <functional>

namespace kalvetra::Shell {

// 33 when the desktop took the address; 31 (no application for it) or 2 (no such file) when
// its launcher, xdg-open, says it could not open it.
int open(const QString& address);

// Tests replace the desktop with a function of their own; an empty function restores it.
void setOpener(std::function<int(const QString&)> opener);

}  // namespace kalvetra::Shell
