// The whole text of an editor as its rows hold it, for comparing in tests.
#pragma once

#include <string>

#include "editor/control/editor.h"

// CR LF after every raCrlf row, nothing after a wrapped row.
inline std::string EditorText(const TEditor& E) {
    std::string S;
    for (int R = 0; R < E.RowsCount(); ++R) {
        S.append(E.RowText(R));
        if (E.RowAttr(R) == raCrlf) S += "\r\n";
    }
    return S;
}
