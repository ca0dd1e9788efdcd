// The process-wide window factory and the screen cursor table.
#include "platform/window.h"

#include <map>

namespace {
TWindowFactory* GWindowFactory = nullptr;

std::map<TCursor, std::string>& CursorTable() {
    static std::map<TCursor, std::string> Table;
    return Table;
}
} // namespace

TWindowFactory* WindowFactory() {
    return GWindowFactory;
}
void SetWindowFactory(TWindowFactory* Factory) {
    GWindowFactory = Factory;
}

void SetScreenCursor(TCursor Id, const std::string& ResourceName) {
    CursorTable()[Id] = ResourceName;
}

std::string ScreenCursorResource(TCursor Id) {
    const auto It = CursorTable().find(Id);
    return It == CursorTable().end() ? std::string() : It->second;
}
