// The editor's Lines: the string-list interface over an editor's screen rows, by logical line.
#pragma once

#include <cstdint>
#include <string>

#include "platform/classes.h"

class TEditorScreenStrings;
class TReader;
class TWriter;

// What TEditorStrings needs of its editor besides the screen rows: the caret, the
// caret-row underline and the redraw switch. TEditor implements it (like TEditorClient);
// tests use a double. Rows are screen rows, offsets count 2 bytes for each CR LF.
class TEditorStringsHost {
public:
    // The screen rows the editor shows now (they change with ShareLines).
    virtual TEditorScreenStrings* GetScreenStrings() const = 0;
    virtual void CancelSelection() = 0;
    // Hides the caret while a change runs; the two nest.
    virtual void BeginCaretUpdate() = 0;
    virtual void EndCaretUpdate() = 0;
    // Places the caret Offset bytes after the start of row FromRow.
    virtual void SetCaretOffset(int FromRow, int Offset) = 0;
    virtual void SetRow(int Value) = 0;
    virtual void SetCol(int Value) = 0;
    // The caret-row underline bracket (counted).
    virtual void HideUnderline() = 0;
    virtual void ShowUnderline() = 0;
    // FSettingRowCol: while set, caret moves do not update the caret.
    virtual void SetSettingRowCol(bool Value) = 0;
    virtual void UpdateCaret() = 0;
    // Whether the editor is visible and its window exists (the redraw switch applies).
    virtual bool IsShowing() const = 0;
    // WM_SETREDRAW with wParam 1 (Value) or 0.
    virtual void SetRedraw(bool Value) = 0;

protected:
    ~TEditorStringsHost() = default;
};

// Lines: stores nothing itself; every read and write goes to the screen rows of its editor.
// With word wrap off a line is a row; with word wrap on a line is a run of rows and every
// index is mapped by LineToRow. Writes go through ReplaceRows (undoable); loading a file, a
// whole text or the streamed "Strings" rebuilds the rows directly. Index errors raise
// EStringListError "リストのインデックスが範囲を超えています".
class TEditorStrings : public TStrings {
public:
    explicit TEditorStrings(TEditorStringsHost* Editor) : FEditor(Editor) {}

    // From another string list: its Text, then the caret to (row count, 0); otherwise the
    // framework's assignment.
    void Assign(TPersistent* Source) override;
    std::string Get(int Index) const override;
    int GetCount() const override;
    // The whole text: CR LF after every raCrlf row, nothing after raWrapped rows; a text
    // whose last row is raEof does not end with CR LF.
    std::string GetTextStr() const override;
    // Keeps the line's line break (a last line without one stays without).
    void Put(int Index, const std::string& S) override;
    void SetTextStr(const std::string& Value) override;
    // The line count before the call. A text that ends without a line break still ends
    // without one after Add.
    int Add(const std::string& S) override;
    void Clear() override;
    void Delete(int Index) override;
    void Insert(int Index, const std::string& S) override;
    // The bytes as they are, in blocks of BlockSize: Ctrl-Z ends the file, a NUL ends its
    // block. The file is read in a few large reads and the rows stay slices of what was read.
    // EFOpenError / EReadError propagate and leave the text empty.
    void LoadFromFile(const std::string& FileName) override;

    // The first row of line Index (the row count for Index = line count); beyond that the
    // list index error.
    int LineToRow(int Index) const;

    // The streamed property "Strings" (a list of strings, one per logical line).
    // Whether it is written: an ancestor that is a string list with other contents, an
    // ancestor of another kind, or, without ancestor, at least one line.
    bool StoresStrings(TPersistent* Ancestor) const;
    // List begin, each line's rows joined without line-break bytes, list end.
    void WriteStrings(TWriter& Writer) const;
    // Inside an update bracket: Clear, then one raCrlf row per string (no wrapping, no
    // undo); the editor's Loaded rewraps and rescans.
    void ReadStrings(TReader& Reader);

    TEditorStringsHost* GetEditor() const { return FEditor; }
    int GetUpdateCount() const { return FUpdateCount; }

    static constexpr int BlockSize = 8192;
    // LoadFromFile reads the file into shared blocks of up to this many file bytes each, and
    // the rows are slices of them (a smaller value makes more blocks; for tests of the borders).
    static inline int64_t LoadChunkBytes = int64_t{256} << 20;

protected:
    void SetUpdateState(bool Updating) override;

private:
    TEditorScreenStrings& List() const;
    bool WordWrap() const;

    TEditorStringsHost* FEditor;
    int FUpdateCount = 0;
};
