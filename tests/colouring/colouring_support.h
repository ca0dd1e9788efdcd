// Helpers of the colouring tests: token lists, a counting change handler, row lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "editor/colouring/editor_fountain.h"
#include "editor/colouring/editor_parser.h"
#include "editor/model/row_string_list.h"

struct TTok {
    int Kind;
    std::string Text;
    bool operator==(const TTok&) const = default;
};

inline std::ostream& operator<<(std::ostream& Out, const TTok& T) {
    return Out << "{" << T.Kind << ", \"" << T.Text << "\"}";
}

// Every token of Text started with State, as the painter walks them.
inline std::vector<TTok> Tokenize(TFountainParser& Parser, std::string_view Text,
                                  const TRowAttributeData& State = TRowAttributeData()) {
    std::vector<TTok> Out;
    Parser.NewData(Text, State);
    for (int Kind = Parser.NextToken(); Kind != tokEnd; Kind = Parser.NextToken())
        Out.push_back({Kind, std::string(Parser.TokenString())});
    return Out;
}

// Counts the calls of a change handler and remembers the last sender.
struct TChangeCounter : TObject {
    int Count = 0;
    TObject* LastSender = nullptr;
    void Handle(TObject* Sender) {
        ++Count;
        LastSender = Sender;
    }
    TNotifyEvent Event() { return TNotifyEvent::Of<&TChangeCounter::Handle>(this); }
};

// A row list from (text, attribute) pairs.
struct TRowPiece {
    std::string Text;
    TRowAttribute Attr;
};

inline void FillRows(TEditorStringList& Rows, const std::vector<TRowPiece>& Pieces) {
    Rows.Clear();
    for (const auto& S : Pieces) {
        int I = Rows.Add(S.Text);
        Rows.SetRowAttribute(I, S.Attr);
    }
}

// The state at the start of every row, as the screen rows compute it: row 0 starts with
// the initial state, row R + 1 with ScanRow of row R.
inline std::vector<TRowAttributeData> ScanStates(TFountainParser& Parser, const TEditorStringList& Rows) {
    std::vector<TRowAttributeData> States;
    TRowAttributeData Data;
    for (int R = 0; R < Rows.GetCount(); ++R) {
        Data.RowAttribute = Rows.GetRowAttribute(R);
        States.push_back(Data);
        Parser.ScanRow(R, &Rows, Data);
        Data.PrevRowAttribute = Rows.GetRowAttribute(R);
    }
    return States;
}

// The text the painter tokenizes for row R: the row, and the next row after a wrap.
inline std::string PaintText(const TEditorStringList& Rows, int R) {
    std::string T = Rows.Get(R);
    if (Rows.GetRowAttribute(R) == raWrapped && R + 1 < Rows.GetCount()) T += Rows.Get(R + 1);
    return T;
}
