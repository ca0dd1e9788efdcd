// Fuzz target: arbitrary bytes read as a sequence of component images.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/exceptions.h"
#include "platform/filer.h"
#include "platform/streams.h"

namespace {

// Reads one value by its kind through the typed readers; lists recurse through
// SkipValue so that their depth limit is exercised as well.
void ReadOneValue(TReader& R) {
    switch (R.NextValue()) {
    case vaInt8:
    case vaInt16:
    case vaInt32: {
        // An integer written again and read back must be the same number.
        const int32_t V = R.ReadInteger();
        TMemoryStream M;
        TWriter(M).WriteInteger(V);
        M.SetPosition(0);
        if (TReader(M).ReadInteger() != V) std::abort();
        break;
    }
    case vaFalse:
    case vaTrue:
        R.ReadBoolean();
        break;
    case vaIdent:
        R.ReadIdent();
        break;
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String: {
        const std::string S = R.ReadString();
        // Whatever was read can be written in either string form and read back.
        TMemoryStream M;
        {
            TWriter W(M);
            W.WriteString(S);
            W.WriteListEntry(S);
        }
        M.SetPosition(0);
        TReader Back(M);
        Back.ReadString();
        Back.ReadString();
        if (Back.Remaining() != 0) std::abort();
        break;
    }
    case vaList:
        R.ReadListBegin();
        while (!R.EndOfList()) R.SkipValue();
        R.ReadListEnd();
        break;
    default:
        R.SkipValue(); // raises the read error for an unknown tag
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TMemoryStream Stream;
    Stream.WriteBuffer(Data, static_cast<int64_t>(Size));
    Stream.SetPosition(0);
    try {
        while (Stream.GetPosition() < Stream.GetSize()) {
            TReader R(Stream);
            R.ReadSignature();
            R.ReadStr(); // class name
            R.ReadStr(); // component name
            while (!R.EndOfList()) {
                R.ReadPropName();
                ReadOneValue(R);
            }
            R.ReadListEnd();
            R.ReadListEnd(); // no child components
        }
    } catch (const EReadError&) {
        // Damaged input ends here, as it should.
    }
    return 0;
}
