// The component-stream filer: writing and checked reading of component images.
#include "platform/filer.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/classes.h"
#include "platform/cp932.h"
#include "platform/streams.h"

namespace {

constexpr char kSignature[4] = {'T', 'P', 'F', '0'};

bool IsAscii7(std::string_view S) {
    return std::all_of(S.begin(), S.end(), [](char C) { return static_cast<unsigned char>(C) < 0x80; });
}

} // namespace

std::string InvalidImageMessage() {
    return cp932::Literal("不正なイメージ リスト");
}
std::string StreamReadMessage() {
    return cp932::Literal("ストリームからの読み込みエラー");
}
std::string InvalidValueMessage() {
    return cp932::Literal("プロパティの値が正しくありません");
}
std::string InvalidListMessage() {
    return cp932::Literal("リストの入れ子が深すぎます");
}

// ---- TWriter ---------------------------------------------------------------------

void TWriter::WriteBytes(const void* Data, size_t Count) {
    if (Count > 0) FStream.WriteBuffer(Data, static_cast<int64_t>(Count));
}

void TWriter::WriteValue(TValueType Value) {
    const auto B = static_cast<uint8_t>(Value);
    WriteBytes(&B, 1);
}

void TWriter::WriteLength(size_t Length) {
    // The length fields are 32-bit; a longer text cannot be represented.
    if (Length > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw EWriteError(cp932::Literal("文字列が長すぎて書き込めません"));
    const auto L = static_cast<uint32_t>(Length);
    const uint8_t Bytes[4] = {static_cast<uint8_t>(L), static_cast<uint8_t>(L >> 8),
                              static_cast<uint8_t>(L >> 16), static_cast<uint8_t>(L >> 24)};
    WriteBytes(Bytes, 4);
}

void TWriter::WriteSignature() {
    WriteBytes(kSignature, sizeof kSignature);
}

void TWriter::WriteStr(std::string_view S) {
    if (S.size() > 255) throw EWriteError(cp932::Literal("文字列が長すぎて書き込めません"));
    const auto L = static_cast<uint8_t>(S.size());
    WriteBytes(&L, 1);
    WriteBytes(S.data(), S.size());
}

void TWriter::WriteInteger(int32_t Value) {
    if (Value >= -128 && Value <= 127) {
        WriteValue(vaInt8);
        const auto B = static_cast<uint8_t>(static_cast<int8_t>(Value));
        WriteBytes(&B, 1);
    } else if (Value >= -32768 && Value <= 32767) {
        WriteValue(vaInt16);
        const auto V = static_cast<uint16_t>(static_cast<int16_t>(Value));
        const uint8_t Bytes[2] = {static_cast<uint8_t>(V), static_cast<uint8_t>(V >> 8)};
        WriteBytes(Bytes, 2);
    } else {
        WriteValue(vaInt32);
        const auto V = static_cast<uint32_t>(Value);
        const uint8_t Bytes[4] = {static_cast<uint8_t>(V), static_cast<uint8_t>(V >> 8),
                                  static_cast<uint8_t>(V >> 16), static_cast<uint8_t>(V >> 24)};
        WriteBytes(Bytes, 4);
    }
}

void TWriter::WriteBoolean(bool Value) {
    WriteValue(Value ? vaTrue : vaFalse);
}

void TWriter::WriteIdent(std::string_view Ident) {
    if (CompareText(Ident, "False") == 0) {
        WriteValue(vaFalse);
    } else if (CompareText(Ident, "True") == 0) {
        WriteValue(vaTrue);
    } else {
        if (Ident.size() > 255) throw EWriteError(cp932::Literal("文字列が長すぎて書き込めません"));
        WriteValue(vaIdent);
        WriteStr(Ident);
    }
}

void TWriter::WriteAsciiString(std::string_view S) {
    if (S.size() <= 255) {
        WriteValue(vaString);
        WriteStr(S);
    } else {
        WriteValue(vaLString);
        WriteLength(S.size());
        WriteBytes(S.data(), S.size());
    }
}

void TWriter::WriteUtf8String(std::string_view Utf8) {
    WriteValue(vaUTF8String);
    WriteLength(Utf8.size());
    WriteBytes(Utf8.data(), Utf8.size());
}

void TWriter::WriteString(std::string_view S) {
    const std::u16string Wide = cp932::ToUtf16(S);
    const std::string Utf8 = cp932::Utf16ToUtf8(Wide);
    if (Utf8.size() < 2 * Wide.size()) {
        if (IsAscii7(S))
            WriteAsciiString(S);
        else
            WriteUtf8String(Utf8);
        return;
    }
    WriteValue(vaWString);
    WriteLength(Wide.size());
    // The units go out little-endian whatever the host order is.
    std::string Bytes(Wide.size() * 2, '\0');
    for (size_t I = 0; I < Wide.size(); ++I) {
        Bytes[2 * I] = static_cast<char>(Wide[I] & 0xFF);
        Bytes[2 * I + 1] = static_cast<char>(Wide[I] >> 8);
    }
    WriteBytes(Bytes.data(), Bytes.size());
}

void TWriter::WriteListEntry(std::string_view S) {
    if (IsAscii7(S))
        WriteAsciiString(S);
    else
        WriteUtf8String(cp932::ToUtf8(S));
}

void TWriter::WriteListBegin() {
    WriteValue(vaList);
}
void TWriter::WriteListEnd() {
    WriteValue(vaNull);
}

// ---- TReader ---------------------------------------------------------------------

TReader::TReader(TStream& Stream) : FStream(Stream) {
    const int64_t Pos = FStream.GetPosition();
    const int64_t Size = FStream.GetSize();
    FStreamRemaining = (Pos >= 0 && Size > Pos) ? Size - Pos : 0;
}

TReader::~TReader() {
    SyncPosition();
}

void TReader::SyncPosition() {
    if (FBufEnd > FBufPos) {
        FStream.Seek(-static_cast<int64_t>(FBufEnd - FBufPos), soCurrent);
        FStreamRemaining += FBufEnd - FBufPos;
    }
    FBufPos = FBufEnd = 0;
}

void TReader::ReadError(const std::string& Message) {
    throw EReadError(Message);
}

void TReader::Fill() {
    // Only called with the buffer used up.
    FBufPos = FBufEnd = 0;
    const int64_t Want = std::min<int64_t>(BufSize, FStreamRemaining);
    if (Want <= 0) ReadError(StreamReadMessage());
    const int64_t Got = FStream.Read(FBuffer, Want);
    if (Got <= 0) {
        // The stream holds fewer bytes than it said it had.
        FStreamRemaining = 0;
        ReadError(StreamReadMessage());
    }
    FBufEnd = static_cast<int>(Got);
    FStreamRemaining -= Got;
}

void TReader::Need(int64_t Count) {
    if (Count < 0 || Count > Remaining()) ReadError(StreamReadMessage());
}

void TReader::ReadBytes(void* Data, int64_t Count) {
    Need(Count);
    auto* Out = static_cast<unsigned char*>(Data);
    while (Count > 0) {
        if (FBufPos == FBufEnd) Fill();
        const int N = static_cast<int>(std::min<int64_t>(Count, FBufEnd - FBufPos));
        std::memcpy(Out, FBuffer + FBufPos, static_cast<size_t>(N));
        FBufPos += N;
        Out += N;
        Count -= N;
    }
}

void TReader::SkipBytes(int64_t Count) {
    Need(Count);
    const int64_t InBuffer = std::min<int64_t>(Count, FBufEnd - FBufPos);
    FBufPos += static_cast<int>(InBuffer);
    Count -= InBuffer;
    if (Count > 0) {
        // The buffer is used up: move the stream itself.
        FStream.Seek(Count, soCurrent);
        FStreamRemaining -= Count;
    }
}

uint8_t TReader::ReadByte() {
    if (FBufPos == FBufEnd) Fill();
    return FBuffer[FBufPos++];
}

uint32_t TReader::ReadLength() {
    uint8_t B[4];
    ReadBytes(B, 4);
    return static_cast<uint32_t>(B[0]) | static_cast<uint32_t>(B[1]) << 8 |
           static_cast<uint32_t>(B[2]) << 16 | static_cast<uint32_t>(B[3]) << 24;
}

std::string TReader::ReadRaw(int64_t Count) {
    Need(Count); // before the allocation
    std::string S(static_cast<size_t>(Count), '\0');
    ReadBytes(S.data(), Count);
    return S;
}

void TReader::ReadSignature() {
    char Sig[4];
    ReadBytes(Sig, 4);
    if (std::memcmp(Sig, kSignature, 4) != 0) ReadError(InvalidImageMessage());
}

std::string TReader::ReadStr() {
    const uint8_t L = ReadByte();
    return ReadRaw(L);
}

TValueType TReader::NextValue() {
    if (FBufPos == FBufEnd) Fill();
    return static_cast<TValueType>(FBuffer[FBufPos]);
}

TValueType TReader::ReadValue() {
    return static_cast<TValueType>(ReadByte());
}

int32_t TReader::ReadInteger() {
    switch (ReadValue()) {
    case vaInt8:
        return static_cast<int8_t>(ReadByte());
    case vaInt16: {
        uint8_t B[2];
        ReadBytes(B, 2);
        return static_cast<int16_t>(static_cast<uint16_t>(B[0] | B[1] << 8));
    }
    case vaInt32:
        return static_cast<int32_t>(ReadLength());
    default:
        ReadError(InvalidValueMessage());
    }
}

bool TReader::ReadBoolean() {
    switch (ReadValue()) {
    case vaFalse:
        return false;
    case vaTrue:
        return true;
    case vaIdent: {
        const std::string S = ReadStr();
        if (CompareText(S, "False") == 0) return false;
        if (CompareText(S, "True") == 0) return true;
        break;
    }
    default:
        break;
    }
    ReadError(InvalidValueMessage());
}

std::string TReader::ReadIdent() {
    switch (ReadValue()) {
    case vaIdent:
        return ReadStr();
    case vaFalse:
        return "False";
    case vaTrue:
        return "True";
    default:
        ReadError(InvalidValueMessage());
    }
}

std::string TReader::ReadString() {
    switch (ReadValue()) {
    case vaString:
        return ReadStr();
    case vaLString:
        return ReadRaw(ReadLength());
    case vaUTF8String:
        return cp932::FromUtf8(ReadRaw(ReadLength()));
    case vaWString: {
        const int64_t Units = ReadLength();
        const std::string Bytes = ReadRaw(Units * 2);
        std::u16string Wide(static_cast<size_t>(Units), u'\0');
        for (int64_t I = 0; I < Units; ++I)
            Wide[static_cast<size_t>(I)] = static_cast<char16_t>(
                static_cast<unsigned char>(Bytes[2 * I]) | static_cast<unsigned char>(Bytes[2 * I + 1]) << 8);
        return cp932::FromUtf16(Wide);
    }
    default:
        ReadError(InvalidValueMessage());
    }
}

void TReader::ReadListBegin() {
    if (ReadValue() != vaList) ReadError(InvalidValueMessage());
}

void TReader::ReadListEnd() {
    if (ReadValue() != vaNull) ReadError(InvalidValueMessage());
}

bool TReader::EndOfList() {
    return NextValue() == vaNull;
}

void TReader::SkipValue() {
    // Iterative, so that deeply nested lists in damaged input cannot exhaust the stack.
    int Depth = 0;
    do {
        const TValueType V = ReadValue();
        switch (V) {
        case vaNull:
            // Ends the innermost open list; a bare vaNull is not a value.
            if (Depth == 0) ReadError(InvalidValueMessage());
            --Depth;
            break;
        case vaList:
            if (++Depth > MaxListDepth) ReadError(InvalidListMessage());
            break;
        case vaInt8:
            SkipBytes(1);
            break;
        case vaInt16:
            SkipBytes(2);
            break;
        case vaInt32:
            SkipBytes(4);
            break;
        case vaString:
        case vaIdent:
            SkipBytes(ReadByte());
            break;
        case vaFalse:
        case vaTrue:
            break;
        case vaLString:
        case vaUTF8String:
            SkipBytes(ReadLength());
            break;
        case vaWString:
            SkipBytes(int64_t{ReadLength()} * 2);
            break;
        default:
            ReadError(InvalidValueMessage());
        }
    } while (Depth > 0);
}
