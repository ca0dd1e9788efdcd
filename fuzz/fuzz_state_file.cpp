// Fuzz target: arbitrary bytes read as a state file. Traps when the item lists end up of
// different lengths, or when what was read does not come back the same after writing it
// out and reading it again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/state_file.h"
#include "platform/exceptions.h"
#include "platform/streams.h"

namespace {

bool SameData(const TAppData& A, const TAppData& B) {
    if (A.SiteE != B.SiteE || A.NameE != B.NameE || A.SpinEdit1 != B.SpinEdit1) return false;
    for (int K = 0; K < ItemListCount; ++K)
        if (A.Items.List(TItemListKind(K)) != B.Items.List(TItemListKind(K))) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TMemoryStream In;
    In.Write(Data, static_cast<int64_t>(Size));
    In.SetPosition(0);
    TAppData Read;
    try {
        ReadStateImages(In, Read);
    } catch (const EReadError&) {
    }
    if (!Read.Items.LengthsEqual()) std::abort();

    // Whatever was read is written and read back unchanged, except the site text that an
    // empty text cannot carry and entries whose bytes have no exact UTF-16 form.
    TMemoryStream Out;
    try {
        WriteStateImages(Out, Read);
    } catch (const EWriteError&) {
        return 0;
    }
    Out.SetPosition(0);
    TAppData Again;
    ReadStateImages(Out, Again); // the program's own output must read without error
    if (!Again.Items.LengthsEqual() || Again.Items.Count() != Read.Items.Count()) std::abort();
    TMemoryStream Out2;
    WriteStateImages(Out2, Again);
    TAppData Third;
    Out2.SetPosition(0);
    ReadStateImages(Out2, Third);
    if (!SameData(Again, Third)) std::abort(); // stable after one trip
    return 0;
}
