// The Qt services behind the process-wide window factory, clipboard, popup menus and font engine.
#include "platform/qt/qt_services.h"

#include "platform/clipboard.h"
#include "platform/graphics.h"
#include "platform/qt/qt_accessible.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_font_engine.h"
#include "platform/qt/qt_popup_menu.h"
#include "platform/qt/qt_window_host.h"
#include "platform/window.h"

namespace qtbackend {

void InstallQtServices() {
    static TQtWindowFactory Factory;
    static TQtClipboard Board;
    static TQtPopupMenuPresenter Presenter;
    SetWindowFactory(&Factory);
    SetClipboard(&Board);
    SetPopupMenuPresenter(&Presenter);
    SetFontEngine(&QtFontEngine());
    InstallAccessibleFactory();
}

} // namespace qtbackend
