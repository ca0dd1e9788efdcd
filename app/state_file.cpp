// The state file: writing and reading the seven component images of the main window.
#include "app/state_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>

#include "platform/cp932.h"
#include "platform/exceptions.h"
#include "platform/filer.h"
#include "platform/files.h"
#include "platform/locations.h"
#include "platform/streams.h"

namespace {

// ---- the controls' fixed records ------------------------------------------------------

struct TBounds {
    int32_t Left, Top, Width, Height;
};

struct TLabeledEditDesign {
    const char* Name;
    TBounds Bounds;
    // The label's width as the designer measured it; written as it is, whatever a font
    // here measures, so that the file stays the same.
    int32_t LabelWidth;
    const char* Caption;
    int32_t TabOrder;
};

constexpr TLabeledEditDesign kSiteE{"SiteE", {80, 8, 385, 20}, 73, "Your Site URL", 0};
constexpr TLabeledEditDesign kNameE{"NameE", {80, 32, 384, 20}, 53, "Site Name", 1};
constexpr TBounds kSpinBounds{416, 56, 49, 21};
constexpr int32_t kLabelHeight = 12;
constexpr int32_t kItemHeight = 12;
constexpr int32_t kSpinIncrement = 5;
constexpr int32_t kSpinTabOrder = 2;

struct TListBoxDesign {
    const char* Name;
    TItemListKind Kind;
    TBounds Bounds;
    int32_t TabOrder;
    bool Visible;
};

// In file order: linkList, TimeList, DesList, ItemList.
constexpr TListBoxDesign kListBoxes[ItemListCount] = {
    {"linkList", ilLink, {80, 56, 41, 17}, 7, false},
    {"TimeList", ilTime, {136, 56, 41, 17}, 8, false},
    {"DesList", ilDes, {176, 56, 41, 17}, 9, false},
    {"ItemList", ilItem, {3, 80, 462, 97}, 3, true},
};

constexpr const char* kPopupMenuName = "Form1.PopupMenu1";

// ---- writing ----------------------------------------------------------------------------

void WriteIntProp(TWriter& W, const char* Name, int32_t Value) {
    W.WritePropName(Name);
    W.WriteInteger(Value);
}

void WriteBounds(TWriter& W, const TBounds& B) {
    WriteIntProp(W, "Left", B.Left);
    WriteIntProp(W, "Top", B.Top);
    WriteIntProp(W, "Width", B.Width);
    WriteIntProp(W, "Height", B.Height);
}

void WriteImageStart(TWriter& W, const char* ClassName, const char* Name) {
    W.WriteSignature();
    W.WriteStr(ClassName);
    W.WriteStr(Name);
}

void WriteImageEnd(TWriter& W) {
    W.WriteListEnd(); // properties
    W.WriteListEnd(); // children
}

void WriteLabeledEdit(TWriter& W, const TLabeledEditDesign& D, const std::string& Text) {
    WriteImageStart(W, "TLabeledEdit", D.Name);
    WriteBounds(W, D.Bounds);
    WriteIntProp(W, "EditLabel.Width", D.LabelWidth);
    WriteIntProp(W, "EditLabel.Height", kLabelHeight);
    W.WritePropName("EditLabel.Caption");
    W.WriteString(D.Caption);
    W.WritePropName("LabelPosition");
    W.WriteIdent("lpLeft");
    WriteIntProp(W, "TabOrder", D.TabOrder);
    if (!Text.empty()) {
        W.WritePropName("Text");
        W.WriteString(Text);
    }
    WriteImageEnd(W);
}

void WriteSpinEdit(TWriter& W, int32_t Value) {
    WriteImageStart(W, "TSpinEdit", "SpinEdit1");
    WriteBounds(W, kSpinBounds);
    WriteIntProp(W, "Increment", kSpinIncrement);
    WriteIntProp(W, "MaxValue", SpinEdit1MaxValue);
    WriteIntProp(W, "MinValue", SpinEdit1MinValue);
    WriteIntProp(W, "TabOrder", kSpinTabOrder);
    WriteIntProp(W, "Value", Value);
    WriteImageEnd(W);
}

void WriteListBox(TWriter& W, const TListBoxDesign& D, const TPackedStrings& Entries) {
    WriteImageStart(W, "TListBox", D.Name);
    WriteBounds(W, D.Bounds);
    WriteIntProp(W, "ItemHeight", kItemHeight);
    if (Entries.Count() > 0) {
        W.WritePropName("Items.Strings");
        W.WriteListBegin();
        for (const std::string_view S : Entries) W.WriteListEntry(S);
        W.WriteListEnd();
    }
    if (D.Visible) {
        W.WritePropName("PopupMenu");
        W.WriteIdent(kPopupMenuName);
    }
    WriteIntProp(W, "TabOrder", D.TabOrder);
    if (!D.Visible) {
        W.WritePropName("Visible");
        W.WriteBoolean(false);
    }
    WriteImageEnd(W);
}

// ---- reading ----------------------------------------------------------------------------

[[noreturn]] void UnknownProperty(const std::string& Name) {
    std::string Message = cp932::Literal("プロパティ ");
    Message += Name;
    Message += cp932::Literal(" は存在しません");
    TReader::ReadError(Message);
}

// The records every one of the three classes has; the value is checked for its kind and
// then left alone: the window lays out its controls itself.
bool ReadCommonProperty(TReader& R, const std::string& Name) {
    static constexpr const char* kIntegers[] = {"Left",     "Top", "Width",      "Height",
                                                "TabOrder", "Tag", "HelpContext"};
    static constexpr const char* kBooleans[] = {"Visible", "Enabled", "TabStop", "ShowHint",
                                                "ParentShowHint"};
    for (const char* P : kIntegers)
        if (Name == P) {
            R.ReadInteger();
            return true;
        }
    for (const char* P : kBooleans)
        if (Name == P) {
            R.ReadBoolean();
            return true;
        }
    if (Name == "Hint") {
        R.ReadString();
        return true;
    }
    return false;
}

void ReadImageHeader(TReader& R) {
    R.ReadSignature();
    R.ReadStr(); // the class name: the control is already of its class
    R.ReadStr(); // the component name: the control's own
}

// Children: the controls of this file have none, so any child is an error.
void ReadChildren(TReader& R) {
    R.ReadListEnd(); // ends the properties
    if (!R.EndOfList()) {
        std::string Message = cp932::Literal("クラス ");
        Message += R.ReadStr();
        Message += cp932::Literal(" が見つかりません");
        TReader::ReadError(Message);
    }
    R.ReadListEnd();
}

void ReadLabeledEdit(TReader& R, std::string& Text) {
    ReadImageHeader(R);
    while (!R.EndOfList()) {
        const std::string Name = R.ReadPropName();
        if (ReadCommonProperty(R, Name)) continue;
        if (Name == "Text") {
            Text = R.ReadString();
        } else if (Name == "EditLabel.Caption") {
            R.ReadString();
        } else if (Name == "EditLabel.Width" || Name == "EditLabel.Height" || Name == "EditLabel.Left" ||
                   Name == "EditLabel.Top" || Name == "LabelSpacing" || Name == "MaxLength") {
            R.ReadInteger();
        } else if (Name == "LabelPosition") {
            const std::string Ident = R.ReadIdent();
            if (Ident != "lpAbove" && Ident != "lpBelow" && Ident != "lpLeft" && Ident != "lpRight")
                TReader::ReadError(InvalidValueMessage());
        } else if (Name == "ReadOnly") {
            R.ReadBoolean();
        } else {
            UnknownProperty(Name);
        }
    }
    ReadChildren(R);
}

void ReadSpinEdit(TReader& R, int32_t& Value) {
    ReadImageHeader(R);
    // The bounds in effect when "Value" is set: the design's until the file gives others.
    int32_t MinValue = SpinEdit1MinValue;
    int32_t MaxValue = SpinEdit1MaxValue;
    while (!R.EndOfList()) {
        const std::string Name = R.ReadPropName();
        if (ReadCommonProperty(R, Name)) continue;
        if (Name == "Value") {
            const int32_t V = R.ReadInteger();
            Value = V < MinValue ? MinValue : (V > MaxValue ? MaxValue : V);
        } else if (Name == "MinValue") {
            MinValue = R.ReadInteger();
        } else if (Name == "MaxValue") {
            MaxValue = R.ReadInteger();
        } else if (Name == "Increment") {
            R.ReadInteger();
        } else {
            UnknownProperty(Name);
        }
    }
    ReadChildren(R);
}

// InFile: how many entries the file's list holds, kept or not.
void ReadListBox(TReader& R, TPackedStrings& Entries, size_t MaxEntries, int64_t& InFile) {
    ReadImageHeader(R);
    while (!R.EndOfList()) {
        const std::string Name = R.ReadPropName();
        if (ReadCommonProperty(R, Name)) continue;
        if (Name == "Items.Strings") {
            // Each entry joins the list as soon as it is read, so that a file cut inside
            // the list keeps the entries before the cut.
            R.ReadListBegin();
            Entries.Clear();
            InFile = 0;
            while (!R.EndOfList()) {
                const std::string Entry = R.ReadString();
                if (static_cast<size_t>(Entries.Count()) < MaxEntries) Entries.Append(Entry);
                ++InFile;
            }
            R.ReadListEnd();
        } else if (Name == "ItemHeight") {
            R.ReadInteger();
        } else if (Name == "PopupMenu") {
            // The item list's popup menu is the only one of the main window; it is named
            // with or without the form's name. Any other name leaves the menu attached.
            R.ReadIdent();
        } else {
            UnknownProperty(Name);
        }
    }
    ReadChildren(R);
}

} // namespace

void WriteStateImages(TStream& Stream, const TAppData& Data) {
    TWriter W(Stream);
    WriteLabeledEdit(W, kSiteE, Data.SiteE);
    WriteLabeledEdit(W, kNameE, Data.NameE);
    WriteSpinEdit(W, Data.SpinEdit1);
    for (const TListBoxDesign& D : kListBoxes) WriteListBox(W, D, Data.Items.List(D.Kind));
}

void ReadStateImages(TStream& Stream, TAppData& Data, size_t MaxEntries) {
    // The longest list of the file, as EqualizeLengths would make every list were they all
    // kept; what a bounded read drops of it is left in NotKept.
    int64_t Longest = 0;
    const auto Finish = [&] {
        Data.Items.EqualizeLengths();
        Data.Items.SetNotKept(std::max<int64_t>(0, Longest - Data.Items.Count()));
    };
    Data.Items.SetNotKept(0);
    try {
        TReader R(Stream);
        ReadLabeledEdit(R, Data.SiteE);
        ReadLabeledEdit(R, Data.NameE);
        ReadSpinEdit(R, Data.SpinEdit1);
        // A value the spin box held while it had the focus may exceed its maximum; the
        // feed then writes that many items, so a bounded reader keeps them all.
        if (MaxEntries != SIZE_MAX && Data.SpinEdit1 > 0)
            MaxEntries = std::max(MaxEntries, static_cast<size_t>(Data.SpinEdit1));
        for (const TListBoxDesign& D : kListBoxes) {
            int64_t InFile = Data.Items.List(D.Kind).Count();
            try {
                ReadListBox(R, Data.Items.MutableList(D.Kind), MaxEntries, InFile);
            } catch (...) {
                Longest = std::max(Longest, InFile);
                throw;
            }
            Longest = std::max(Longest, InFile);
        }
    } catch (...) {
        Finish();
        throw;
    }
    // A file can be whole and still hold lists of different lengths.
    Finish();
}

bool TStateFile::LoadState(TAppData& Data, size_t MaxEntries) {
    // Anything by that name but a regular file (a folder, a FIFO, a device) is a read
    // error, refused without waiting on it.
    if (FileKindOf(FFileName) == TFileKind::Missing) return false;
    TMemoryStream Stream;
    try {
        Stream.LoadFromFile(FFileName);
    } catch (const EStreamError&) {
        // Unreadable: the save at close keeps it aside.
        FDamaged = true;
        FDamagedRead = false;
        FDamagedBytes.clear();
        throw;
    }
    try {
        ReadStateImages(Stream, Data, MaxEntries);
    } catch (const Exception&) {
        FDamaged = FDamagedRead = true;
        FDamagedBytes.assign(static_cast<const char*>(Stream.Memory()),
                             static_cast<size_t>(Stream.GetSize()));
        throw;
    } catch (const std::bad_alloc&) {
        // Only part of the file is in memory: the save at close reads it again and keeps
        // it aside before the part replaces it.
        FDamaged = true;
        FDamagedRead = false;
        FDamagedBytes.clear();
        throw;
    }
    return true;
}

void TStateFile::SaveState(const TAppData& Data) {
    TMemoryStream Image;
    WriteStateImages(Image, Data);
    if (FDamaged) {
        bool Keep = FDamagedRead;
        if (!Keep && FileKindOf(FFileName) != TFileKind::Missing) {
            // A file that could not even be opened at start-up is read now; one that still
            // cannot be read (no permission, not a regular file) is moved aside whole.
            try {
                TMemoryStream Old;
                Old.LoadFromFile(FFileName);
                FDamagedBytes.assign(static_cast<const char*>(Old.Memory()),
                                     static_cast<size_t>(Old.GetSize()));
                Keep = true;
            } catch (const EStreamError&) {
                if (rename(FFileName.c_str(), BadFileName().c_str()) != 0)
                    throw EFCreateError(FileCreateErrorMessage(BadFileName(), errno));
            }
        }
        if (Keep) AtomicWriteFile(BadFileName(), FDamagedBytes);
        FDamaged = FDamagedRead = false;
        FDamagedBytes.clear();
        FDamagedBytes.shrink_to_fit();
    }
    AtomicWriteFile(FFileName, std::string_view(static_cast<const char*>(Image.Memory()),
                                                static_cast<size_t>(Image.GetSize())));
}

std::string StateFilePath() {
    return ProgramFilePath(ffData, ".dat");
}
