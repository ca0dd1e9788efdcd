// Opening a file or URL with the program the desktop associates with it.
#pragma once

#include <string>

// Hands PathOrUrl (CP932) to xdg-open, started without a shell in a process of its
// own that is not this program's child (no zombie, no waiting). The result is
// ignored: a missing xdg-open or a failure to start it is not an error. An argument
// that starts with '-' is passed as "./-..." so that it cannot read as an option.
void ShellOpen(const std::string& PathOrUrl);
