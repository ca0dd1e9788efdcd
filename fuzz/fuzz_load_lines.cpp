// Fuzz target: arbitrary bytes loaded as a file into an editor's Lines, with and without
// word wrap; the lines must be those of the plain reading and the rows must keep their
// invariants.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"
#include "platform/streams.h"
#include "scratch_file.h"
#include "tests/model/lines_reference.h"
#include "tests/model/screen_strings_support.h"

namespace {

void Fail(const char* What, const std::string& Detail) {
    std::fprintf(stderr, "load lines: %s %s\n", What, Detail.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static const TScratchFile File("feedloom-fuzz-lines");
    // The first byte chooses the wrap width (0: no word wrap); the rest is the file.
    const int WrapByte = Size > 0 ? Data[0] % 48 : 0;
    const std::string Bytes(reinterpret_cast<const char*>(Data) + (Size > 0 ? 1 : 0),
                            Size > 0 ? Size - 1 : 0);
    {
        TFileStream F(File.Path(), fmCreate);
        F.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    }
    TEditor* Editor = TEditor::Create<TEditor>(nullptr);
    if (WrapByte >= 20) {
        Editor->GetWrapOption()->SetWrapByte(WrapByte);
        Editor->SetWordWrap(true);
    }
    TEditorStrings& Lines = *Editor->GetLines();
    Lines.LoadFromFile(File.Path());

    bool EndsWithBreak = false;
    const std::vector<std::string> Expected = ReferenceLines(Bytes, EndsWithBreak);
    if (Lines.GetCount() != static_cast<int>(Expected.size()))
        Fail("line count", std::to_string(Lines.GetCount()) + " != " + std::to_string(Expected.size()));
    for (size_t I = 0; I < Expected.size(); ++I)
        if (Lines.Get(static_cast<int>(I)) != Expected[I]) Fail("line differs:", std::to_string(I));
    TEditorScreenStrings& Rows = *Editor->GetScreenStrings();
    const std::string Err = screen_test::CheckRows(Rows, nullptr);
    if (!Err.empty()) Fail("rows:", Err);
    if (!Expected.empty() && (Rows.GetRowAttribute(Rows.GetCount() - 1) == raCrlf) != EndsWithBreak)
        Fail("last row kind", "");
    delete Editor;
    return 0;
}
