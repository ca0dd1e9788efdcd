// Tests of the row lists: storage, growth, events, packed attributes, shared row strings.
#include "editor/model/row_string_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/cp932.h"

namespace {

struct TEvents : TObject {
    std::string Log; // "<" for OnChanging, ">" for OnChange
    void Changing(TObject*) { Log += '<'; }
    void Change(TObject*) { Log += '>'; }
    void Attach(TRowStringList& L) {
        L.OnChanging = TNotifyEvent::Of<&TEvents::Changing>(this);
        L.OnChange = TNotifyEvent::Of<&TEvents::Change>(this);
    }
};

std::vector<std::string> Texts(const TRowStringList& L) {
    std::vector<std::string> R;
    for (int I = 0; I < L.GetCount(); ++I) R.push_back(L.Get(I));
    return R;
}

} // namespace

TEST(RowString, SharedCountedAndReleased) {
    TRowString Empty;
    EXPECT_TRUE(Empty.Empty());
    EXPECT_STREQ(Empty.Data(), "");
    EXPECT_EQ(Empty.RefCount(), 0);
    EXPECT_TRUE(TRowString(std::string_view()).Empty());

    TRowString A(std::string_view("abc\0d", 5));
    EXPECT_EQ(A.Length(), 5);
    EXPECT_EQ(A.Data()[5], '\0');
    {
        TRowString B = A;
        TRowString C;
        C = B;
        EXPECT_EQ(A.RefCount(), 3);
        EXPECT_TRUE(C.SharesWith(A));
        C = TRowString(std::string_view("x")); // C lets go of A's bytes
        EXPECT_EQ(A.RefCount(), 2);
        TRowString D = std::move(B);
        EXPECT_TRUE(B.Empty());
        EXPECT_EQ(A.RefCount(), 2);
        const TRowString& Same = D;
        D = Same; // self-assignment keeps the bytes
        EXPECT_EQ(D.View(), A.View());
    }
    EXPECT_EQ(A.RefCount(), 1);
    EXPECT_TRUE(A == TRowString(std::string_view("abc\0d", 5))); // equal bytes, other block

    // Blocks are named by number and freed numbers come back: many blocks made and freed in
    // turns leave every live string with its own bytes.
    std::vector<TRowString> Live;
    for (int Round = 0; Round < 3; ++Round) {
        for (int I = 0; I < 300; ++I) Live.emplace_back(std::to_string(Round) + ":" + std::to_string(I));
        for (size_t I = 0; I < Live.size(); I += 2) Live[I] = TRowString(); // frees half the numbers
    }
    for (size_t I = 0; I < Live.size(); ++I) {
        const int Round = static_cast<int>(I / 300), Index = static_cast<int>(I % 300);
        const std::string Want = I % 2 == 0 ? "" : std::to_string(Round) + ":" + std::to_string(Index);
        ASSERT_EQ(Live[I].View(), Want) << I;
        ASSERT_EQ(Live[I].RefCount(), I % 2 == 0 ? 0 : 1) << I;
    }
}

TEST(RowString, SlicesShareTheirBlockUntilTheLastGoes) {
    char* Bytes = nullptr;
    TRowString Block = TRowString::NewBlock(11, Bytes);
    std::memcpy(Bytes, "one\r\ntwo\r\n", 10);
    Bytes[10] = 'x';
    const uint32_t Bounds[] = {0, 3, 5, 3, 10, 0};
    TRowStringList L;
    L.AddSlices(Block, Bounds, 3);
    EXPECT_EQ(Texts(L), (std::vector<std::string>{"one", "two", ""}));
    EXPECT_EQ(Block.RefCount(), 4);
    EXPECT_TRUE(L.RowString(2).Empty());
    EXPECT_EQ(L.RowData(2), L.RowData(0) + 10); // its place in the block is kept
    const TRowString Tail(L.RowString(1), 1, 2); // a slice of a slice
    EXPECT_EQ(Tail.View(), "wo");
    EXPECT_TRUE(Tail == TRowString(std::string_view("wo")));
    EXPECT_FALSE(Tail == L.RowString(1));
    Block = TRowString();
    L.Clear();
    EXPECT_EQ(Tail.RefCount(), 1);
    EXPECT_EQ(Tail.View(), "wo"); // the block outlives the rows it was cut into (ASan checks)
}

TEST(RowStringList, RowsShareTheirStringsAcrossListsAndReleaseThem) {
    TRowString Text("shared row");
    auto Screen = std::make_unique<TEditorStringList>();
    TEditorStringList Temp;
    Temp.InsertRow(0, Text);
    Temp.SetStateStr(0, "state");
    Temp.SetData(0, 42);
    Temp.SetRowMarks(0, 0x8001);
    EXPECT_EQ(Text.RefCount(), 2);
    Screen->InsertEmptyRows(0, 3);
    Screen->AssignRow(1, Temp, 0);
    EXPECT_EQ(Text.RefCount(), 3);
    EXPECT_TRUE(Screen->RowString(1).SharesWith(Text));
    EXPECT_EQ(Screen->GetStateStr(1), "state");
    EXPECT_EQ(Screen->GetData(1), 42);
    EXPECT_EQ(Screen->GetRowMarks(1), 0x8001);

    // Moving rows around (insert before, exchange, delete before) keeps the handles intact.
    for (int I = 0; I < 40; ++I) Screen->Insert(0, "filler");
    Screen->Exchange(41, 0);
    EXPECT_EQ(Screen->Get(0), "shared row");
    Screen->Delete(1);
    EXPECT_EQ(Text.RefCount(), 3);
    Screen->Put(0, "replaced");
    EXPECT_EQ(Text.RefCount(), 2);
    Temp.Delete(0);
    EXPECT_EQ(Text.RefCount(), 1);
    Screen->PutRow(5, Text);
    Screen.reset(); // destroying the list releases every row (ASan reports leaks)
    EXPECT_EQ(Text.RefCount(), 1);
}

TEST(RowStringList, GrowthSequence) {
    TRowStringList L;
    std::vector<int> Seen{L.GetCapacity()};
    for (int I = 0; I < 95; ++I) {
        L.Add("r");
        if (L.GetCapacity() != Seen.back()) Seen.push_back(L.GetCapacity());
        if (I == 8) {
            EXPECT_EQ(L.GetCapacity(), 12); // the ninth insert
        }
        if (I == 12) {
            EXPECT_EQ(L.GetCapacity(), 28); // the thirteenth
        }
    }
    EXPECT_EQ(Seen, (std::vector<int>{0, 4, 8, 12, 28, 44, 60, 76, 95}));
    L.Add("r");
    EXPECT_EQ(L.GetCapacity(), 118);
    L.SetCapacity(200);
    EXPECT_EQ(L.GetCapacity(), 200);
    EXPECT_THROW(L.SetCapacity(10), EStringListError);
    EXPECT_EQ(L.GetCount(), 96);
    L.Clear();
    EXPECT_EQ(L.GetCapacity(), 0);
}

TEST(RowStringList, IndexChecksRaiseTheErrorAndChangeNothing) {
    const std::string Message = cp932::Literal("リストのインデックスが範囲を超えています");
    TRowAttributeStringList L;
    L.Add("a");
    L.Add("b");
    TEvents E;
    E.Attach(L);
    const std::function<void()> Bad[] = {
        [&] { L.Get(2); },
        [&] { L.Get(-1); },
        [&] { L.Put(2, "x"); },
        [&] { L.Insert(3, "x"); },
        [&] { L.Insert(-1, "x"); },
        [&] { L.Delete(2); },
        [&] { L.Delete(-1); },
        [&] { L.Exchange(2, 0); },
        [&] { L.Exchange(0, 2); },
        [&] { L.GetData(2); },
        [&] { L.SetData(-1, 1); },
        [&] { L.GetStateStr(2); },
        [&] { L.SetStateStr(2, "s"); },
        [&] { L.SetRowAttribute(2, raEof); },
        [&] { L.GetRowMarks(-1); },
        [&] { L.RowView(2); },
        [&] { L.DeleteRange(1, 2); },
        [&] { L.InsertEmptyRows(3, 1); },
    };
    for (size_t I = 0; I < std::size(Bad); ++I) {
        try {
            Bad[I]();
            ADD_FAILURE() << "no error for case " << I;
        } catch (const EStringListError& Err) {
            EXPECT_EQ(Err.Message(), Message) << "case " << I;
        }
        EXPECT_EQ(Texts(L), (std::vector<std::string>{"a", "b"})) << "case " << I;
    }
    EXPECT_EQ(E.Log, "") << "a refused operation fires no event";
    L.Insert(2, "c"); // at Count appends
    EXPECT_EQ(Texts(L), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(RowStringList, EventsAroundTextChangesOnlyAndOncePerBracket) {
    TRowAttributeStringList L;
    TEvents E;
    E.Attach(L);
    L.Clear(); // empty: nothing
    EXPECT_EQ(E.Log, "");
    L.Add("a");
    L.Insert(0, "b");
    L.Put(0, "c");
    L.Exchange(0, 1);
    L.Delete(0);
    L.InsertEmptyRows(1, 5);
    L.DeleteRange(0, 3);
    EXPECT_EQ(E.Log, "<><><><><><><>");
    E.Log.clear();
    L.SetRowAttribute(0, raWrapped);
    L.SetBracketIndex(0, 3);
    L.SetRowMarks(0, 1);
    L.SetStateStr(0, "s");
    L.SetData(0, 7);
    TRowAttributeData D;
    L.SetRowAttributeData(0, D);
    EXPECT_EQ(E.Log, "") << "attribute setters fire nothing";
    L.Clear();
    EXPECT_EQ(E.Log, "<>");

    E.Log.clear();
    L.BeginUpdate();
    L.BeginUpdate();
    for (int I = 0; I < 100; ++I) L.Insert(0, "x");
    L.EndUpdate();
    EXPECT_EQ(L.GetUpdateCount(), 1);
    L.EndUpdate();
    EXPECT_EQ(E.Log, "<>");
    EXPECT_EQ(L.GetUpdateCount(), 0);

    E.Log.clear();
    L.SetTextStr("a\r\nb\rc\nd\r\n");
    EXPECT_EQ(E.Log, "<>");
    EXPECT_EQ(Texts(L), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(L.GetTextStr(), "a\r\nb\r\nc\r\nd\r\n");
}

TEST(RowStringList, DestructionFiresNoEvent) {
    TEvents E;
    {
        TRowStringList L;
        L.Add("a");
        E.Attach(L);
    }
    EXPECT_EQ(E.Log, "");
}

TEST(RowAttributeStringList, ANewRowReadsAsZero) {
    TRowAttributeStringList L;
    L.Add("x");
    L.SetAttributes(0, 0xFFFFFFFF);
    L.SetExtAttributes(0, 0xFFFFFFFF);
    L.SetStateStr(0, "old");
    L.Insert(0, "new"); // the new row is zeroed, whatever stood in the array before
    L.Delete(1);
    L.Add("added");
    for (int Row : {0, 1}) {
        EXPECT_EQ(L.GetRowAttribute(Row), raCrlf);
        EXPECT_EQ(L.GetPrevRowAttribute(Row), raCrlf);
        EXPECT_EQ(L.GetBracketIndex(Row), -2);
        EXPECT_EQ(L.GetElementState(Row), 0);
        EXPECT_EQ(L.GetCarryLength(Row), 0);
        EXPECT_EQ(L.GetExtraState(Row), 0);
        EXPECT_EQ(L.GetCarryToken(Row), 0);
        EXPECT_EQ(L.GetLastToken(Row), 0);
        EXPECT_EQ(L.GetRowMarks(Row), 0);
        EXPECT_EQ(L.GetData(Row), 0);
        EXPECT_EQ(L.GetStateStr(Row), "");
    }
}

TEST(RowAttributeStringList, EachFieldHasItsOwnBits) {
    TRowAttributeStringList L;
    L.Add("x");
    // Setting every field to its largest value, one at a time, must show in exactly its
    // bits of the packed words.
    struct Case {
        const char* Name;
        std::function<void()> Set;
        uint32_t Attributes;
        uint32_t ExtAttributes;
    };
    const Case Cases[] = {
        {"RowAttribute", [&] { L.SetRowAttribute(0, raInvalid); }, 0x00000003, 0},
        {"PrevRowAttribute", [&] { L.SetPrevRowAttribute(0, raInvalid); }, 0x0000000C, 0},
        {"BracketIndex", [&] { L.SetBracketIndex(0, 13); }, 0x000000F0, 0},
        {"ElementState", [&] { L.SetElementState(0, 255); }, 0x0000FF00, 0},
        {"CarryLength", [&] { L.SetCarryLength(0, 255); }, 0x00FF0000, 0},
        {"ExtraState", [&] { L.SetExtraState(0, 255); }, 0xFF000000, 0},
        {"CarryToken", [&] { L.SetCarryToken(0, 255); }, 0, 0x000000FF},
        {"LastToken", [&] { L.SetLastToken(0, 255); }, 0, 0x0000FF00},
        {"RowMarks", [&] { L.SetRowMarks(0, 0xFFFF); }, 0, 0xFFFF0000},
    };
    for (const Case& C : Cases) {
        L.SetAttributes(0, 0);
        L.SetExtAttributes(0, 0);
        C.Set();
        EXPECT_EQ(L.GetAttributes(0), C.Attributes) << C.Name;
        EXPECT_EQ(L.GetExtAttributes(0), C.ExtAttributes) << C.Name;
        // And with all other bits set, the setter replaces only its own.
        L.SetAttributes(0, ~C.Attributes);
        L.SetExtAttributes(0, ~C.ExtAttributes);
        C.Set();
        EXPECT_EQ(L.GetAttributes(0), 0xFFFFFFFF) << C.Name;
        EXPECT_EQ(L.GetExtAttributes(0), 0xFFFFFFFF) << C.Name;
    }
}

TEST(RowAttributeStringList, ValuesReadBackAndLeaveTheirNeighbours) {
    TRowAttributeStringList L;
    L.Add("x");
    L.SetElementState(0, 0x5A);
    for (int V : {-2, -1, 0, 7, 13}) {
        L.SetBracketIndex(0, V);
        EXPECT_EQ(L.GetBracketIndex(0), V);
    }
    EXPECT_EQ(L.GetElementState(0), 0x5A);
    EXPECT_EQ(L.GetAttributes(0) & 0xF0, 0xF0u) << "13 is stored as 15";
    L.SetBracketIndex(0, -2);
    EXPECT_EQ(L.GetAttributes(0) & 0xF0, 0u) << "-2 is stored as 0";

    L.SetRowMarks(0, 0x0205);
    L.SetLastToken(0, 255);
    L.SetCarryToken(0, 17);
    EXPECT_EQ(L.GetRowMarks(0), 0x0205);
    EXPECT_EQ(L.GetLastToken(0), 255);
    EXPECT_EQ(L.GetCarryToken(0), 17);

    // An oversized value is cut to its field instead of spilling into the next one.
    L.SetElementState(0, 0x1FF);
    EXPECT_EQ(L.GetElementState(0), 0xFF);
    EXPECT_EQ(L.GetCarryLength(0), 0);
    L.SetBracketIndex(0, -3);
    EXPECT_EQ(L.GetElementState(0), 0xFF);
    EXPECT_EQ(L.GetRowAttribute(0), raCrlf);
}

TEST(RowAttributeStringList, PutKeepsAndExchangeMovesTheWholeRow) {
    TRowAttributeStringList L;
    L.Add("first");
    L.Add("second");
    L.SetRowAttribute(0, raWrapped);
    L.SetBracketIndex(0, 4);
    L.SetRowMarks(0, 0x0401);
    L.SetStateStr(0, "state0");
    L.SetData(0, -9);
    L.SetRowAttribute(1, raEof);

    L.Put(0, "changed");
    EXPECT_EQ(L.Get(0), "changed");
    EXPECT_EQ(L.GetRowAttribute(0), raWrapped);
    EXPECT_EQ(L.GetBracketIndex(0), 4);
    EXPECT_EQ(L.GetRowMarks(0), 0x0401);
    EXPECT_EQ(L.GetStateStr(0), "state0");
    EXPECT_EQ(L.GetData(0), -9);

    L.Exchange(0, 1);
    EXPECT_EQ(Texts(L), (std::vector<std::string>{"second", "changed"}));
    EXPECT_EQ(L.GetRowAttribute(0), raEof);
    EXPECT_EQ(L.GetRowMarks(0), 0);
    EXPECT_EQ(L.GetBracketIndex(0), -2);
    EXPECT_EQ(L.GetRowAttribute(1), raWrapped);
    EXPECT_EQ(L.GetRowMarks(1), 0x0401);
    EXPECT_EQ(L.GetStateStr(1), "state0");
    EXPECT_EQ(L.GetData(1), -9);
    L.Exchange(1, 1);
    EXPECT_EQ(L.Get(1), "changed");
}

TEST(RowAttributeStringList, InsertAndDeleteMoveTheRowsAfterThem) {
    TRowAttributeStringList L;
    for (int I = 0; I < 10; ++I) {
        L.Add("row" + std::to_string(I));
        L.SetRowMarks(I, static_cast<TRowMarks>(1 << I));
        L.SetData(I, I);
    }
    L.Insert(3, "new");
    L.InsertEmptyRows(0, 2);
    L.Delete(6);         // old row 3
    L.DeleteRange(8, 2); // old rows 6 and 7
    ASSERT_EQ(L.GetCount(), 10);
    const std::vector<std::string> Want{"",    "",     "row0", "row1", "row2",
                                        "new", "row4", "row5", "row8", "row9"};
    EXPECT_EQ(Texts(L), Want);
    EXPECT_EQ(L.GetRowMarks(8), 1 << 8);
    EXPECT_EQ(L.GetData(7), 5);
    EXPECT_EQ(L.GetRowMarks(5), 0);
    EXPECT_EQ(L.RowLength(8), 4);
    EXPECT_STREQ(L.RowData(8), "row8");
    EXPECT_EQ(L.RowView(2), "row0");
}

TEST(RowAttributeStringList, RowStateRoundTripAndComparison) {
    TRowAttributeStringList L;
    L.Add("x");
    L.SetRowAttribute(0, raWrapped);
    L.SetRowMarks(0, 0x0003);

    TRowAttributeData Initial;
    EXPECT_EQ(Initial.BracketIndex, -1);
    EXPECT_FALSE(L.RowStateEquals(0, Initial)) << "a fresh row is not scanned (-2)";

    TRowAttributeData D;
    D.RowAttribute = raEof; // not stored by SetRowState
    D.PrevRowAttribute = raWrapped;
    D.BracketIndex = 12;
    D.ElementState = 1;
    D.CarryLength = 200;
    D.ExtraState = 3;
    D.CarryToken = 4;
    D.LastToken = 250;
    D.StateStr = "<!--";
    L.SetRowState(0, D);
    EXPECT_TRUE(L.RowStateEquals(0, D));
    EXPECT_EQ(L.GetRowAttribute(0), raWrapped);
    EXPECT_EQ(L.GetRowMarks(0), 0x0003);

    TRowAttributeData R;
    L.GetRowAttributeData(0, R);
    EXPECT_EQ(R.RowAttribute, raWrapped);
    EXPECT_EQ(R.PrevRowAttribute, raWrapped);
    EXPECT_EQ(R.BracketIndex, 12);
    EXPECT_EQ(R.CarryLength, 200);
    EXPECT_EQ(R.LastToken, 250);
    EXPECT_EQ(R.StateStr, "<!--");

    for (auto Change : std::vector<std::function<void(TRowAttributeData&)>>{
             [](TRowAttributeData& X) { X.PrevRowAttribute = raCrlf; },
             [](TRowAttributeData& X) { X.BracketIndex = -1; },
             [](TRowAttributeData& X) { X.ExtraState = 0; },
             [](TRowAttributeData& X) { X.CarryToken = 5; },
             [](TRowAttributeData& X) { X.StateStr = "<!-"; },
         }) {
        TRowAttributeData Other = D;
        Change(Other);
        EXPECT_FALSE(L.RowStateEquals(0, Other));
    }
    TRowAttributeData OtherEnd = D;
    OtherEnd.RowAttribute = raCrlf;
    EXPECT_TRUE(L.RowStateEquals(0, OtherEnd)) << "the row's own end is not part of the state";

    L.SetRowAttributeData(0, D);
    EXPECT_EQ(L.GetRowAttribute(0), raEof);

    L.ResetRowState(0);
    EXPECT_EQ(L.GetBracketIndex(0), -2);
    EXPECT_EQ(L.GetPrevRowAttribute(0), raCrlf);
    EXPECT_EQ(L.GetCarryLength(0), 0);
    EXPECT_EQ(L.GetLastToken(0), 0);
    EXPECT_EQ(L.GetStateStr(0), "");
    EXPECT_EQ(L.GetRowAttribute(0), raEof);
    EXPECT_EQ(L.GetRowMarks(0), 0x0003);
}

TEST(RowStringList, AssignAndTextFromOtherLists) {
    TStringList Source;
    Source.SetTextStr("one\r\n\x82\xa0\r\nthree");
    TEditorStringList L;
    L.Add("old");
    L.SetRowMarks(0, 1);
    L.Assign(&Source);
    EXPECT_EQ(Texts(L), (std::vector<std::string>{"one", "\x82\xa0", "three"}));
    EXPECT_EQ(L.GetRowMarks(0), 0);
    EXPECT_EQ(L.IndexOf("THREE"), 2);
    TStringList Back;
    Back.Assign(&L);
    EXPECT_TRUE(Back.Equals(&Source));

    // A whole row copied over another takes its extra fields (state string, Data, marks, state
    // bytes), or their absence: a list whose rows never had any copies none onto rows that
    // have them, and back.
    TEditorStringList Plain;
    Plain.Add("plain");
    L.SetStateStr(1, "s");
    L.SetData(1, 5);
    L.SetRowMarks(1, 0x0204);
    L.SetElementState(1, 9);
    L.AssignRow(1, Plain, 0);
    EXPECT_EQ(L.Get(1), "plain");
    EXPECT_EQ(L.GetStateStr(1), "");
    EXPECT_EQ(L.GetData(1), 0);
    EXPECT_EQ(L.GetRowMarks(1), 0);
    EXPECT_EQ(L.GetElementState(1), 0);
    L.SetStateStr(2, "t");
    L.SetData(2, -3);
    L.SetRowMarks(2, 0x8001);
    Plain.AssignRow(0, L, 2);
    EXPECT_EQ(Plain.GetStateStr(0), "t");
    EXPECT_EQ(Plain.GetData(0), -3);
    EXPECT_EQ(Plain.GetRowMarks(0), 0x8001);
    Plain.AddRow("after"); // a row added after the extras came reads as zero
    EXPECT_EQ(Plain.GetData(1), 0);
    EXPECT_EQ(Plain.GetStateStr(1), "");
}
