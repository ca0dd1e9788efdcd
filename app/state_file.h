// The state file (feedloom.dat): seven component images of the main window's controls,
// SiteE, NameE, SpinEdit1, linkList, TimeList, DesList and ItemList, in this order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/app_data.h"

class TStream;

// The seven images from the data, byte for byte as the controls would write them.
// EWriteError when the stream fails.
void WriteStateImages(TStream& Stream, const TAppData& Data);
// Reads the seven images from the stream's position into the data (site fields,
// SpinEdit1, the four lists), then brings the lists to equal length (a file may hold lists
// of different lengths). On a read error (EReadError "不正なイメージ リスト",
// "ストリームからの読み込みエラー" or one of its own) everything read before it stays in
// effect, the item lists are brought back to equal length (TItemStore::EqualizeLengths)
// and the error propagates.
// Entries past MaxEntries in a list are read (and checked) but not kept: a reader that
// needs only the top items stays within memory whatever the file holds. How many items
// were dropped (the file's longest list less the items kept) is left in
// Data.Items.NotKept(). Entries go from the stream straight into the packed lists.
void ReadStateImages(TStream& Stream, TAppData& Data, size_t MaxEntries = SIZE_MAX);

// The state file at one path, with what its last reading found.
class TStateFile {
public:
    explicit TStateFile(std::string FileName) : FFileName(std::move(FileName)) {}
    const std::string& FileName() const { return FFileName; }
    // FileName + ".bad": where a file that could not be read whole is kept.
    std::string BadFileName() const { return FFileName + ".bad"; }

    // LoadState: no file, nothing happens (returns false). Otherwise reads the images
    // into Data (true). A read error keeps what was read (see ReadStateImages), marks the
    // file as damaged and propagates; an unreadable file raises EFOpenError/EReadError, as
    // does anything by that name that is not a regular file.
    bool LoadState(TAppData& Data, size_t MaxEntries = SIZE_MAX);
    // SaveState's file part: writes the seven images, replacing the file atomically
    // (EFCreateError "ファイル "%s" を作成できません。%s" leaves the old file as it was).
    // When the last LoadState found the file damaged, its bytes are first written to
    // BadFileName(); failing that, the error propagates and the state file stays as it was.
    // A file that cannot be read even then (no permission, not a regular file) is renamed
    // to BadFileName() whole.
    void SaveState(const TAppData& Data);

    bool Damaged() const { return FDamaged; }

private:
    std::string FFileName;
    bool FDamaged = false;
    bool FDamagedRead = false; // FDamagedBytes holds the damaged file as read
    std::string FDamagedBytes; // the damaged file as read, until it is kept aside
};

// The state file of the program: the executable's path with ".dat", or feedloom.dat in
// the data folder when installed (platform/locations.h).
std::string StateFilePath();
