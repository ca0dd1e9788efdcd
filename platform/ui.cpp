// The process-wide toolkit pointer, the exception message box, the spin box's text rules.
#include "platform/ui.h"

#include <cctype>
#include <climits>

#include "platform/shell.h"

namespace {
TUiToolkit* GToolkit = nullptr;
}

TUiToolkit* UiToolkit() {
    return GToolkit;
}
void SetUiToolkit(TUiToolkit* Toolkit) {
    GToolkit = Toolkit;
}

void ShowException(const Exception& E) {
    if (GToolkit) GToolkit->ShowMessage(E.Message());
}

void TUiToolkit::OpenDocument(const std::string& PathOrUrl) {
    ShellOpen(PathOrUrl);
}

int SpinTextValue(const std::string& Text, int Default) {
    size_t I = 0, End = Text.size();
    while (I < End && (Text[I] == ' ' || Text[I] == '\t')) ++I;
    while (End > I && (Text[End - 1] == ' ' || Text[End - 1] == '\t')) --End;
    bool Negative = false;
    if (I < End && (Text[I] == '+' || Text[I] == '-')) Negative = Text[I++] == '-';
    if (I == End) return Default;
    long long V = 0;
    for (; I < End; ++I) {
        if (!std::isdigit(static_cast<unsigned char>(Text[I]))) return Default;
        V = V * 10 + (Text[I] - '0');
        if (V > static_cast<long long>(INT_MAX) + 1) return Default;
    }
    if (Negative) V = -V;
    if (V < INT_MIN || V > INT_MAX) return Default;
    return static_cast<int>(V);
}

bool SpinAcceptsChar(char C) {
    return (C >= '0' && C <= '9') || C == '+' || C == '-' || C == '.';
}
