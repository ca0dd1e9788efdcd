// Double-byte string routines and the column map of a row.
#include "editor/model/dbcs.h"

#include <algorithm>
#include <cstring>

#include "platform/classes.h"

int CountChar(std::string_view S, char C, int Limit) {
    if (Limit <= 0) return 0;
    const size_t N = std::min(S.size(), static_cast<size_t>(Limit));
    return static_cast<int>(std::count(S.data(), S.data() + N, C));
}

namespace {
// 0 outside S, 1 single-byte character, 2 lead byte, 3 trail byte at 1-based Pos.
int ByteKindAt(std::string_view S, int Pos) {
    if (Pos < 1 || static_cast<size_t>(Pos) > S.size()) return 0;
    const size_t Target = static_cast<size_t>(Pos - 1);
    size_t I = 0;
    for (;;) {
        const int L = CharLengthAt(S, I);
        if (Target < I + static_cast<size_t>(L)) {
            if (L == 1) return 1;
            return Target == I ? 2 : 3;
        }
        I += static_cast<size_t>(L);
    }
}
} // namespace

bool IsLeadByteAt(std::string_view S, int Pos) {
    return ByteKindAt(S, Pos) == 2;
}
bool IsTrailByteAt(std::string_view S, int Pos) {
    return ByteKindAt(S, Pos) == 3;
}

char CharAt(std::string_view S, int Pos) {
    if (Pos < 1 || static_cast<size_t>(Pos) > S.size()) return '\0';
    return S[static_cast<size_t>(Pos - 1)];
}

bool IncludesStr(std::string_view Sub, std::string_view S) {
    if (Sub.empty() || S.size() < Sub.size()) return false;
    const size_t Last = S.size() - Sub.size();
    size_t I = 0;
    while (I <= Last) {
        if (S[I] == Sub[0] && std::memcmp(S.data() + I, Sub.data(), Sub.size()) == 0) return true;
        I += IsDBCSLeadByte(S[I]) ? 2 : 1;
    }
    return false;
}

void TCharSet::Assign(std::string_view S) {
    FSingle = TByteSet();
    std::memset(FPairs, 0, sizeof FPairs);
    // The start positions that IncludesStr tries: a lead byte steps over the byte after it,
    // even when it is the last byte (then only the single byte can match there).
    for (size_t I = 0; I < S.size(); I += IsDBCSLeadByte(S[I]) ? 2 : 1) {
        FSingle.Include(static_cast<unsigned char>(S[I]));
        if (I + 1 < S.size()) {
            const unsigned Index = static_cast<unsigned>(static_cast<unsigned char>(S[I])) << 8 |
                                   static_cast<unsigned char>(S[I + 1]);
            FPairs[Index >> 6] |= uint64_t{1} << (Index & 63);
        }
    }
}

int LineCount(std::string_view Text) {
    int N = 0;
    ForEachLine(Text, [&N](std::string_view) { ++N; });
    return N;
}

void SplitLines(std::string_view Text, TStrings& List) {
    List.BeginUpdate();
    try {
        List.Clear();
        if (!Text.empty()) {
            List.SetCapacity(LineCount(Text));
            ForEachLine(Text, [&List](std::string_view Line) { List.Add(std::string(Line)); });
        }
    } catch (...) {
        List.EndUpdate();
        throw;
    }
    List.EndUpdate();
}

int ColumnMapLimit(const TColumnParams& P) {
    return P.WordWrap ? Max(P.WrapByte, 1) + 3 : MaxMapColumns;
}

int TabStop(int Width, const TColumnParams& P) {
    const int T = Max(P.TabSpaceCount, 1);
    int Stop = (Width / T + 1) * T;
    if (P.WordWrap) {
        const int W = Max(P.WrapByte, 1);
        Stop = Min(Stop, (Width / W + 1) * W);
    }
    return Stop;
}

size_t AppendColumnMap(std::string_view S, const TColumnParams& P, int Limit, std::string& Map) {
    const size_t Base = Map.size();
    const size_t Goal = Base + static_cast<size_t>(Max(Limit, 0));
    // A character adds at most one tab's columns, so the map never exceeds Goal plus a tab.
    const size_t Widest = static_cast<size_t>(Max(Max(P.TabSpaceCount, 1), 2));
    Map.reserve(std::min(Goal + Widest, Base + S.size() * Widest));
    const size_t N = S.size();
    size_t I = 0;
    while (I < N && Map.size() < Goal) {
        const char B = S[I];
        if (I + 1 < N && IsDBCSLeadByte(B)) {
            Map.push_back(cmLead);
            Map.push_back(cmTrail);
            I += 2;
            continue;
        }
        Map.push_back(P.Delimiters.Contains(B) ? cmDelimiter : cmWord);
        ++I;
        if (B == '\t') {
            const int Width = static_cast<int>(Map.size() - Base) - 1;
            Map.append(static_cast<size_t>(TabStop(Width, P) - Width - 1), cmTabFill);
        }
    }
    return I;
}

void MakeColumnMap(std::string_view S, const TColumnParams& P, std::string& Map) {
    Map.clear();
    AppendColumnMap(S, P, ColumnMapLimit(P), Map);
}

std::string MakeColumnMap(std::string_view S, const TColumnParams& P) {
    std::string Map;
    MakeColumnMap(S, P, Map);
    return Map;
}

int DisplayWidth(std::string_view S, const TColumnParams& P) {
    const size_t N = S.size();
    int Width = 0;
    size_t I = 0;
    while (I < N) {
        const char B = S[I];
        if (I + 1 < N && IsDBCSLeadByte(B)) {
            Width += 2;
            I += 2;
        } else {
            Width = B == '\t' ? TabStop(Width, P) : Width + 1;
            ++I;
        }
    }
    return Width;
}

int RowWidth(const TStrings& Rows, int Row, const TColumnParams& P) {
    if (Row < 0 || Row >= Rows.GetCount()) return 0;
    return DisplayWidth(Rows.Get(Row), P);
}

std::string ExpandTabs(std::string_view S, const TColumnParams& P) {
    std::string R;
    R.reserve(S.size());
    const size_t N = S.size();
    int Width = 0;
    size_t I = 0;
    while (I < N) {
        const char B = S[I];
        if (I + 1 < N && IsDBCSLeadByte(B)) {
            R.append(S.data() + I, 2);
            Width += 2;
            I += 2;
        } else if (B == '\t') {
            const int Stop = TabStop(Width, P);
            R.append(static_cast<size_t>(Stop - Width), ' ');
            Width = Stop;
            ++I;
        } else {
            R.push_back(B);
            ++Width;
            ++I;
        }
    }
    return R;
}

int ColumnToByteIndex(std::string_view ColumnMap, int Col, int ByteLength) {
    if (Col < 0) Col = 0;
    const int Fill = CountChar(ColumnMap, cmTabFill, Col + 1);
    return std::clamp(Col - Fill, 0, Max(ByteLength, 0));
}

int ColumnToByteIndex(std::string_view S, int Col, const TColumnParams& P) {
    std::string Map;
    MakeColumnMap(S, P, Map);
    return ColumnToByteIndex(Map, Col, static_cast<int>(S.size()));
}
