// Numbers drawn from a fuzz input, shared by the targets that turn bytes into steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Once the input is used up every number is 0 and Exhausted() is true.
struct TFuzzBytes {
    const uint8_t* Data;
    size_t Size;
    size_t Pos = 0;
    // A number below Bound from one byte, or from two when Bound exceeds 256.
    unsigned Next(unsigned Bound) {
        if (Bound == 0) return 0;
        unsigned V = Pos < Size ? Data[Pos] : 0;
        if (Bound > 256 && Pos + 1 < Size) V = V << 8 | Data[++Pos];
        ++Pos;
        return V % Bound;
    }
    // A number below Bound from one byte, whatever the bound.
    unsigned NextByte(unsigned Bound) {
        if (Bound == 0) return 0;
        const unsigned V = Pos < Size ? Data[Pos] : 0;
        ++Pos;
        return V % Bound;
    }
    bool Exhausted() const { return Pos >= Size; }
};

// S printable for a failure report: bytes outside printable ASCII, and the backslash, as \xHH.
inline std::string Quote(const std::string& S) {
    std::string Q;
    char Hex[5];
    for (unsigned char C : S) {
        if (C >= 0x20 && C < 0x7F && C != '\\') {
            Q += static_cast<char>(C);
        } else {
            std::snprintf(Hex, sizeof Hex, "\\x%02X", C);
            Q += Hex;
        }
    }
    return Q;
}
