// The lines a file holds by the loading rules of Lines.LoadFromFile, worked out the plain
// way; shared by the loading tests and the fuzz target.
#pragma once

#include <string>
#include <vector>

#include "editor/model/editor_strings.h"

// Cuts every block at its first NUL, stops at the first Ctrl-Z that is kept, joins the
// rest and splits it at CR LF, CR or LF. EndsWithBreak tells whether the last line was
// closed by a line break (then the last row is of kind raCrlf).
inline std::vector<std::string> ReferenceLines(const std::string& File, bool& EndsWithBreak) {
    std::string Kept;
    for (size_t At = 0; At < File.size(); At += TEditorStrings::BlockSize) {
        std::string Block = File.substr(At, TEditorStrings::BlockSize);
        Block = Block.substr(0, Block.find('\0'));
        const size_t Z = Block.find('\x1A');
        Kept += Block.substr(0, Z);
        if (Z != std::string::npos) break;
    }
    std::vector<std::string> Lines;
    std::string Line;
    EndsWithBreak = false;
    for (size_t I = 0; I < Kept.size(); ++I) {
        if (Kept[I] != '\r' && Kept[I] != '\n') {
            Line += Kept[I];
            continue;
        }
        if (Kept[I] == '\r' && I + 1 < Kept.size() && Kept[I + 1] == '\n') ++I;
        Lines.push_back(Line);
        Line.clear();
    }
    EndsWithBreak = Line.empty();
    if (!Line.empty()) Lines.push_back(Line);
    return Lines;
}
