// Installs the Qt implementations of the window, clipboard and text services for the process.
#pragma once

namespace qtbackend {

// Sets the window factory, the clipboard, the popup menu presenter and the font engine of bitmap canvases to the Qt
// ones (they live until the program ends). Needs the QApplication; the program's main
// calls it once after making the toolkit.
void InstallQtServices();

} // namespace qtbackend
