// The component-stream filer: TWriter and TReader for binary component images ("TPF0").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/exceptions.h"
#include "platform/object.h"

class TStream;

// The tag byte in front of every value of a component image. Only the forms below are
// produced or understood; any other tag is reported as a read error.
enum TValueType : uint8_t {
    vaNull = 0x00,       // end of a list (of properties, children or values)
    vaList = 0x01,       // values until a vaNull
    vaInt8 = 0x02,       // 1 byte, signed
    vaInt16 = 0x03,      // 2 bytes, signed, little-endian
    vaInt32 = 0x04,      // 4 bytes, signed, little-endian
    vaString = 0x06,     // 1 length byte, then the bytes
    vaIdent = 0x07,      // 1 length byte, then ASCII characters
    vaFalse = 0x08,      // no data
    vaTrue = 0x09,       // no data
    vaLString = 0x0C,    // 4-byte length, then the bytes
    vaWString = 0x12,    // 4-byte count of UTF-16 code units, then the units
    vaUTF8String = 0x14, // 4-byte length in bytes, then UTF-8
};

// The messages of the read errors.
std::string InvalidImageMessage(); // wrong signature
std::string StreamReadMessage();   // the input ends inside an image
std::string InvalidValueMessage(); // a tag that is not the expected kind, or unknown
std::string InvalidListMessage();  // lists nested deeper than the reader accepts

// Writes one component image after another into a stream. A component image is the
// signature, the class name and the component name (short strings), property records
// (WritePropName + one value) closed by WriteListEnd, and the children closed by
// WriteListEnd. Every value is written straight through to the stream, so a failing
// stream raises its EWriteError at the value that failed.
class TWriter : public TObject {
public:
    explicit TWriter(TStream& Stream) : FStream(Stream) {}

    void WriteSignature();
    // One length byte and the bytes; a text longer than 255 bytes raises EWriteError
    // (a short string cannot hold it, and cutting it would lose data silently).
    void WriteStr(std::string_view S);
    void WritePropName(std::string_view Name) { WriteStr(Name); }
    // The smallest of the three integer forms that holds Value.
    void WriteInteger(int32_t Value);
    void WriteBoolean(bool Value);
    // An enumeration value by name; "False" and "True" become the bare tags.
    void WriteIdent(std::string_view Ident);
    // Property text (CP932): with n UTF-16 units and m UTF-8 bytes, m < 2n writes a 7-bit
    // text as short or long string and any other as UTF-8; m >= 2n writes UTF-16.
    void WriteString(std::string_view S);
    // A list entry (CP932): 7-bit text as short or long string, any other as UTF-8.
    void WriteListEntry(std::string_view S);
    void WriteListBegin();
    void WriteListEnd();

private:
    void WriteValue(TValueType Value);
    void WriteBytes(const void* Data, size_t Count);
    void WriteAsciiString(std::string_view S);
    void WriteUtf8String(std::string_view Utf8);
    void WriteLength(size_t Length);

    TStream& FStream;
};

// Reads component images from a stream that nobody vouches for: every length is
// checked against the bytes that remain before anything is allocated, a value of the
// wrong kind raises EReadError, and input that ends early raises EReadError
// "ストリームからの読み込みエラー". The reader buffers what it reads; its destructor
// (or SyncPosition) puts the stream back just after the last byte used, so the next
// reader or the caller continues exactly where this one stopped.
class TReader : public TObject {
public:
    explicit TReader(TStream& Stream);
    ~TReader() override;

    // EReadError "不正なイメージ リスト" unless the next four bytes are "TPF0".
    void ReadSignature();
    // A short string without tag (class, component and property names).
    std::string ReadStr();
    std::string ReadPropName() { return ReadStr(); }
    // The tag of the next value, without consuming it.
    TValueType NextValue();
    // Consumes and returns the tag of the next value.
    TValueType ReadValue();
    // Any of the three integer forms.
    int32_t ReadInteger();
    // The bare tags (and the identifiers "False"/"True", letter case ignored).
    bool ReadBoolean();
    // An identifier; the bare boolean tags read as "False" and "True".
    std::string ReadIdent();
    // Any of the four string forms; wide and UTF-8 texts are converted to CP932.
    std::string ReadString();
    void ReadListBegin();
    void ReadListEnd();
    // True when the next tag is vaNull (the end of a list); consumes nothing.
    bool EndOfList();
    // Skips one value of any known kind, lists included.
    void SkipValue();

    // Bytes of the stream not yet consumed by this reader.
    int64_t Remaining() const { return FStreamRemaining + (FBufEnd - FBufPos); }
    // Seeks the stream back to the first byte this reader has not consumed.
    void SyncPosition();

    [[noreturn]] static void ReadError(const std::string& Message);

    // The deepest nesting of lists that SkipValue accepts.
    static constexpr int MaxListDepth = 1000;

private:
    void Need(int64_t Count);
    void ReadBytes(void* Data, int64_t Count);
    uint8_t ReadByte();
    uint32_t ReadLength();
    void SkipBytes(int64_t Count);
    void Fill();
    std::string ReadRaw(int64_t Count);

    TStream& FStream;
    // Bytes between the stream's position and its end.
    int64_t FStreamRemaining = 0;
    static constexpr int BufSize = 4096;
    unsigned char FBuffer[BufSize];
    int FBufPos = 0;
    int FBufEnd = 0;
};
