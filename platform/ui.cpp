// The process-wide toolkit pointer and the exception message box.
#include "platform/ui.h"

namespace {
TUiToolkit* GToolkit = nullptr;
}

TUiToolkit* UiToolkit() { return GToolkit; }
void SetUiToolkit(TUiToolkit* Toolkit) { GToolkit = Toolkit; }

void ShowException(const Exception& E) {
    if (GToolkit) GToolkit->ShowMessage(E.Message());
}
