// Tests of the streams, atomic file replacement and the path helpers.
#include "platform/streams.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>

#include "platform/cp932.h"
#include "platform/files.h"
#include "platform_test_support.h"

namespace {

TEST(Streams, MemoryStreamGrowsSeeksAndReads) {
    TMemoryStream M;
    M.WriteBuffer("hello", 5);
    EXPECT_EQ(M.GetSize(), 5);
    EXPECT_EQ(M.Seek(2, soBeginning), 2);
    M.WriteBuffer("LLOW", 4); // overwrite and extend
    EXPECT_EQ(std::string(static_cast<const char*>(M.Memory()), 6), "heLLOW");
    EXPECT_EQ(M.Seek(-1, soEnd), 5);
    EXPECT_EQ(M.Seek(-10, soCurrent), -1); // invalid: position unchanged
    EXPECT_EQ(M.GetPosition(), 5);
    M.SetPosition(8); // beyond the end: the gap reads as zeros once written
    M.WriteBuffer("!", 1);
    EXPECT_EQ(M.GetSize(), 9);
    M.SetPosition(6);
    char Gap[3];
    M.ReadBuffer(Gap, 3);
    EXPECT_EQ(std::string(Gap, 3), std::string("\0\0!", 3));
    M.SetSize(3);
    EXPECT_EQ(M.GetPosition(), 3);
    EXPECT_EQ(M.Read(Gap, 3), 0);
}

// Every short transfer raises with the framework's message.
TEST(Streams, ShortTransfersRaise) {
    TMemoryStream M;
    M.WriteBuffer("abc", 3);
    M.SetPosition(1);
    char Buf[8];
    try {
        M.ReadBuffer(Buf, 3);
        FAIL() << "no EReadError";
    } catch (const EReadError& E) {
        EXPECT_EQ(E.Message(), cp932::Literal("ストリームからの読み込みエラー"));
    }
    M.SetPosition(0);
    M.ReadBuffer(Buf, 3); // exactly what is there: no error
    M.ReadBuffer(Buf, 0);

    TTempDir Dir;
    WriteAll(Dir / "ro", "data");
    TFileStream R((Dir / "ro"), fmOpenRead);
    try {
        R.WriteBuffer("x", 1);
        FAIL() << "no EWriteError";
    } catch (const EWriteError& E) {
        EXPECT_EQ(E.Message(), cp932::Literal("ストリームの書き込みエラー"));
    }
    EXPECT_THROW(R.ReadBuffer(Buf, 5), EReadError);
}

TEST(Streams, FileStreamModesAndErrors) {
    TTempDir Dir;
    // File names are the system's bytes: also characters CP932 has not (é, U+301C).
    const std::string Name = Dir / "設定 caf\xC3\xA9 \xE3\x80\x9C.dat";
    {
        TFileStream W(Name, fmCreate);
        W.WriteBuffer("0123456789", 10);
        EXPECT_EQ(W.GetSize(), 10);
        W.SetSize(4);
    }
    EXPECT_EQ(ReadAll(Name), "0123");
    {
        TFileStream RW(Name, fmOpenReadWrite | fmShareExclusive);
        RW.Seek(0, soEnd);
        RW.WriteBuffer("45", 2);
        RW.SetPosition(1);
        char B[3];
        RW.ReadBuffer(B, 3);
        EXPECT_EQ(std::string(B, 3), "123");
    }
    {
        TFileStream W(Name, fmCreate); // truncates
        EXPECT_EQ(W.GetSize(), 0);
    }

    const std::string Fifo = Dir / "fifo";
    ASSERT_EQ(mkfifo(Fifo.c_str(), 0644), 0);
    struct Case {
        std::string Name;
        uint16_t Mode;
        bool Create;
    } Cases[] = {
        {Dir / "missing", fmOpenRead, false},
        {Dir / "no/such/folder/file", fmCreate, true},
        {Dir.Path(), fmOpenRead, false}, // a folder is not a file
        {Dir.Path(), fmCreate, true},
        {Fifo, fmOpenRead, false}, // refused at once, never waiting for a writer
        {"/dev/null", fmOpenRead, false},
    };
    for (const auto& C : Cases) {
        try {
            TFileStream S(C.Name, C.Mode);
            ADD_FAILURE() << C.Name << " opened";
        } catch (const EFCreateError& E) {
            EXPECT_TRUE(C.Create) << E.Message();
            EXPECT_EQ(E.Message().rfind(cp932::Literal("ファイル \"") + DisplayPath(C.Name) +
                                            cp932::Literal("\" を作成できません。"),
                                        0),
                      0u)
                << E.Message();
            EXPECT_GT(E.Message().size(), C.Name.size() + 30) << "no reason given";
        } catch (const EFOpenError& E) {
            EXPECT_FALSE(C.Create) << E.Message();
            EXPECT_EQ(E.Message().rfind(cp932::Literal("ファイル \"") + DisplayPath(C.Name) +
                                            cp932::Literal("\" を開けません。"),
                                        0),
                      0u)
                << E.Message();
        }
    }
}

TEST(Streams, CopyAndFileRoundTrip) {
    TTempDir Dir;
    std::string Data(200000, '\0');
    for (size_t I = 0; I < Data.size(); ++I) Data[I] = static_cast<char>(I * 7 % 251);
    TMemoryStream Src;
    Src.WriteBuffer(Data.data(), static_cast<int64_t>(Data.size()));
    TMemoryStream Dst;
    EXPECT_EQ(Dst.CopyFrom(Src, 0), static_cast<int64_t>(Data.size())); // 0: the whole source
    Dst.SaveToFile(Dir / "copy.bin");
    EXPECT_EQ(ReadAll(Dir / "copy.bin"), Data);

    TMemoryStream Loaded;
    Loaded.LoadFromFile(Dir / "copy.bin");
    EXPECT_EQ(std::string(static_cast<const char*>(Loaded.Memory()), static_cast<size_t>(Loaded.GetSize())),
              Data);
    EXPECT_EQ(Loaded.GetPosition(), 0);

    Src.SetPosition(10);
    TMemoryStream Part;
    EXPECT_EQ(Part.CopyFrom(Src, 5), 5);
    EXPECT_EQ(std::string(static_cast<const char*>(Part.Memory()), 5), Data.substr(10, 5));
    Src.SetPosition(static_cast<int64_t>(Data.size()) - 2);
    EXPECT_THROW(Part.CopyFrom(Src, 5), EReadError);
    EXPECT_THROW(Loaded.LoadFromFile(Dir / "absent"), EFOpenError);
}

// --- Atomic replacement ---

TEST(AtomicWrite, ReplacesCreatesAndLeavesNoTemporaryFile) {
    TTempDir Dir;
    const std::string Name = Dir / "state.dat";
    AtomicWriteFile(Name, "first");
    EXPECT_EQ(ReadAll(Name), "first");
    chmod(Name.c_str(), 0640);
    AtomicWriteFile(Name, std::string("sec\0nd", 6));
    EXPECT_EQ(ReadAll(Name), std::string("sec\0nd", 6));
    struct stat St;
    ASSERT_EQ(stat(Name.c_str(), &St), 0);
    EXPECT_EQ(St.st_mode & 0777, 0640u); // the old file's permissions are kept

    // A link is followed: the file it names gets the new contents.
    WriteAll(Dir / "real.ini", "old");
    ASSERT_EQ(symlink("real.ini", (Dir / "link.ini").c_str()), 0);
    AtomicWriteFile(Dir / "link.ini", "new");
    EXPECT_EQ(ReadAll(Dir / "real.ini"), "new");
    struct stat L;
    ASSERT_EQ(lstat((Dir / "link.ini").c_str(), &L), 0);
    EXPECT_TRUE(S_ISLNK(L.st_mode));

    {
        TAtomicFileStream S(Name);
        S.WriteBuffer("never committed", 15);
    }
    EXPECT_EQ(ReadAll(Name), std::string("sec\0nd", 6));
    auto Names = Dir.Names();
    std::sort(Names.begin(), Names.end());
    EXPECT_EQ(Names, (std::vector<std::string>{"link.ini", "real.ini", "state.dat"}));
}

TEST(AtomicWrite, FailuresRaiseAndKeepTheOldFile) {
    TTempDir Dir;
    WriteAll(Dir / "afile", "x");
    mkdir((Dir / "adir").c_str(), 0700);
    const std::string Targets[] = {
        Dir / "no-folder/out.rdf", // the folder does not exist
        Dir / "afile/out.rdf",     // the "folder" is a file
        Dir / "adir",              // the target is a folder
    };
    for (const auto& T : Targets) {
        try {
            AtomicWriteFile(T, "data");
            ADD_FAILURE() << T;
        } catch (const EFCreateError& E) {
            EXPECT_EQ(E.Message().rfind(
                          cp932::Literal("ファイル \"") + T + cp932::Literal("\" を作成できません。"), 0),
                      0u);
        }
    }

    // A write that fails half-way (file size limit in a child process) leaves the
    // old contents and no temporary file.
    const std::string Name = Dir / "feed.rdf";
    WriteAll(Name, "old contents");
    pid_t Pid = fork();
    ASSERT_GE(Pid, 0);
    if (Pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit Limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &Limit);
        try {
            AtomicWriteFile(Name, std::string(100000, 'n'));
        } catch (const EFCreateError&) {
            _exit(7);
        }
        _exit(0);
    }
    int Status = 0;
    ASSERT_EQ(waitpid(Pid, &Status, 0), Pid);
    ASSERT_TRUE(WIFEXITED(Status));
    EXPECT_EQ(WEXITSTATUS(Status), 7);
    EXPECT_EQ(ReadAll(Name), "old contents");

    // A read-only file is not replaced (unless the permission check cannot bite).
    chmod(Name.c_str(), 0444);
    if (!PermissionsAreIgnored(Dir)) {
        EXPECT_THROW(AtomicWriteFile(Name, "new"), EFCreateError);
        EXPECT_EQ(ReadAll(Name), "old contents");
    }
    auto Names = Dir.Names();
    std::sort(Names.begin(), Names.end());
    EXPECT_EQ(Names, (std::vector<std::string>{"adir", "afile", "feed.rdf"}));
}

// A process killed between creating its temporary file and the rename leaves the file
// behind; the next write of the same target removes it, and only it.
TEST(AtomicWrite, RemovesTemporariesOfProcessesThatNoLongerRun) {
    TTempDir Dir;
    pid_t Dead = fork();
    ASSERT_GE(Dead, 0);
    if (Dead == 0) _exit(0);
    ASSERT_EQ(waitpid(Dead, nullptr, 0), Dead);
    const std::string D = std::to_string(Dead), Me = std::to_string(getpid());
    const std::vector<std::string> Kept = {
        "state.dat.tmp" + Me + "-99", // a running process: this one
        "other.dat.tmp" + D + "-0",   // another target
        "state.dat.tmp" + D + "x-1",  // not a temporary name
        "state.dat.tmp-1",
    };
    for (const auto& N : Kept) WriteAll(Dir / N, "k");
    WriteAll(Dir / ("state.dat.tmp" + D + "-0"), "partial");
    WriteAll(Dir / ("state.dat.tmp" + D + "-17"), "partial");
    AtomicWriteFile(Dir / "state.dat", "new");
    EXPECT_EQ(ReadAll(Dir / "state.dat"), "new");
    auto Names = Dir.Names();
    std::sort(Names.begin(), Names.end());
    std::vector<std::string> Expected = Kept;
    Expected.push_back("state.dat");
    std::sort(Expected.begin(), Expected.end());
    EXPECT_EQ(Names, Expected);
}

TEST(Files, PathPieces) {
    struct Case {
        std::string In, Path, Name, Ini;
    } Cases[] = {
        {"/opt/feedloom/feedloom", "/opt/feedloom/", "feedloom", "/opt/feedloom/feedloom.ini"},
        {"/opt/v1.2/feedloom", "/opt/v1.2/", "feedloom", "/opt/v1.2/feedloom.ini"}, // dot in a folder
        {"/a/b.tar.gz", "/a/", "b.tar.gz", "/a/b.tar.ini"},
        {"plain", "", "plain", "plain.ini"},
        {"/", "/", "", "/.ini"},
        // A CP932 name whose trail byte is 0x5C stays whole.
        {cp932::Literal("/d/表.exe"), "/d/", cp932::Literal("表.exe"), cp932::Literal("/d/表.ini")},
    };
    for (const auto& C : Cases) {
        EXPECT_EQ(ExtractFilePath(C.In), C.Path) << C.In;
        EXPECT_EQ(ExtractFileName(C.In), C.Name) << C.In;
        EXPECT_EQ(ChangeFileExt(C.In, ".ini"), C.Ini) << C.In;
    }
}

TEST(Files, ExecutableAndSiblings) {
    const std::string Exe = ExeFileName();
    ASSERT_FALSE(Exe.empty());
    EXPECT_EQ(Exe[0], '/');
    EXPECT_TRUE(FileExists(Exe));
    struct stat Named, Running;
    ASSERT_EQ(stat(Exe.c_str(), &Named), 0);
    ASSERT_EQ(stat("/proc/self/exe", &Running), 0);
    EXPECT_EQ(Named.st_ino, Running.st_ino); // the very file that runs
    EXPECT_EQ(ExeSiblingPath(".dat"), Exe + ".dat");
    EXPECT_EQ(HelpFilePath(), ExtractFilePath(Exe) + "help.chm");
    EXPECT_FALSE(FileExists(ExtractFilePath(Exe))); // a folder
    EXPECT_FALSE(FileExists(Exe + ".no-such-sibling"));
    EXPECT_FALSE(FileExists(""));
}

} // namespace
