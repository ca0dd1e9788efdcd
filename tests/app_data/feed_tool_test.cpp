// feedloom-feed: the same bytes as the window's builder from the same files, the
// configured output, the files beside it, one-line errors, and files left untouched.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

#include "app/feed_builder.h"
#include "app/feed_check.h"
#include "app/settings_file.h"
#include "app/state_file.h"
#include "app_data_support.h"
#include "editor/control/editor.h"
#include "platform/classes.h"
#include "platform/cp932.h"

extern char** environ;

namespace {

struct TRun {
    int Status = -1;
    std::string Out, Err;
};

// Runs Program with Args, through Prefix when one is given (setpriv, to drop root).
TRun RunTool(const std::string& Program, const std::vector<std::string>& Args, const TTempDir& Dir,
             const std::vector<std::string>& Prefix = {}) {
    std::vector<char*> Argv;
    for (const std::string& P : Prefix) Argv.push_back(const_cast<char*>(P.c_str()));
    Argv.push_back(const_cast<char*>(Program.c_str()));
    for (const std::string& A : Args) Argv.push_back(const_cast<char*>(A.c_str()));
    Argv.push_back(nullptr);
    const std::string OutFile = Dir.File("stdout.txt"), ErrFile = Dir.File("stderr.txt");
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addopen(&Actions, 1, OutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&Actions, 2, ErrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    TRun R;
    pid_t Pid = -1;
    if (posix_spawnp(&Pid, Argv[0], &Actions, nullptr, Argv.data(), environ) == 0) {
        int Status = 0;
        waitpid(Pid, &Status, 0);
        R.Status = WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
    }
    posix_spawn_file_actions_destroy(&Actions);
    R.Out = ReadFileBytes(OutFile);
    R.Err = ReadFileBytes(ErrFile);
    return R;
}

const std::string kTool = std::string(FEEDLOOM_TEST_BINARY_DIR) + "/feedloom-feed";

// The feed with the channel's time stamp (the line after the language) blanked.
std::string WithoutChannelDate(std::string Feed) {
    const std::string After = "<dc:language>ja</dc:language>\n";
    const size_t Start = Feed.find(After);
    if (Start == std::string::npos) return Feed;
    const size_t LineStart = Start + After.size();
    return Feed.erase(LineStart, Feed.find('\n', LineStart) - LineStart);
}

// A store and settings on disk, as the window leaves them at close.
TAppData SaveSample(const std::string& State, const std::string& Settings) {
    TAppData Data;
    TRandomStore Random(21);
    // More items than the feed can hold: the tool keeps only the top of each list.
    Random.Fill(Data, 15);
    while (Data.Items.Count() < SpinEdit1MaxValue + 20)
        Data.Items.InsertItem({Random.Entry(), Random.Entry(), Random.Entry(), Random.Entry()});
    // Above the box's maximum, as a close while the box had the focus can leave it.
    Data.SpinEdit1 = SpinEdit1MaxValue + 10;
    Data.NameE = cp932::Literal("サイト & 名前");
    Data.Settings.FTimeZone = "-05:00";
    Data.Settings.FCssFlag = Data.Settings.FXslFlag = true;
    Data.Settings.FCssPath = "a.css";
    Data.Settings.FXslPath = "b.xsl";
    TStateFile(State).SaveState(Data);
    SaveSettings(Settings, Data.Settings);
    return Data;
}

// The feed the window would write from the same files.
std::string WindowFeed(const std::string& State, const std::string& Settings) {
    TAppData Data;
    LoadSettings(Settings, Data.Settings);
    TStateFile(State).LoadState(Data);
    std::unique_ptr<TEditor> Editor1(TEditor::Create(nullptr));
    TStringList FOutput;
    BuildFeed(false, Data, *Editor1, FOutput);
    return FeedFileBytes(FOutput);
}

bool IsOneLine(const std::string& S) {
    return !S.empty() && S.find('\n') == S.size() - 1;
}

} // namespace

TEST(FeedTool, WritesTheWindowsFeedFromTheSameFilesAndChangesNeither) {
    TTempDir Dir;
    const std::string State = Dir.File("s.dat"), Settings = Dir.File("s.ini"), Out = Dir.File("out.rdf");
    SaveSample(State, Settings);
    const std::string StateBefore = ReadFileBytes(State), SettingsBefore = ReadFileBytes(Settings);

    const TRun R = RunTool(kTool, {"--state", State, "--settings", Settings, Out}, Dir);
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Err, "");
    const std::string Feed = ReadFileBytes(Out);
    EXPECT_NE(Feed.find("<dc:date>"), std::string::npos);
    EXPECT_EQ(WithoutChannelDate(Feed), WithoutChannelDate(WindowFeed(State, Settings)));
    // Both files as they were: the channel description filled in from the site name is
    // not written back.
    EXPECT_EQ(ReadFileBytes(State), StateBefore);
    EXPECT_EQ(ReadFileBytes(Settings), SettingsBefore);
    EXPECT_FALSE(std::filesystem::exists(State + ".bad"));

    // --check keeps only the top of the lists too, and finds what the window's check finds
    // with every item read, the items left out counted among them.
    TAppData Whole;
    LoadSettings(Settings, Whole.Settings);
    TStateFile(State).LoadState(Whole);
    std::string Expected;
    for (const TFinding& F : CheckFeed(Whole)) {
        static const char* const Keywords[] = {"error", "warning", "note"};
        Expected += std::string(Keywords[F.Severity]) + "\t" +
                    (F.ItemIndex >= 0 ? std::to_string(F.ItemIndex + 1) : "-") + "\t" +
                    cp932::ToUtf8(F.Message) + "\n";
    }
    ASSERT_NE(Expected.find("note\t-\t20 "), std::string::npos) << Expected; // 120 items, 100 written
    const TRun Check = RunTool(kTool, {"--check", "--state", State, "--settings", Settings}, Dir);
    EXPECT_EQ(Check.Out, Expected);
    EXPECT_EQ(Check.Status, 2) << Check.Err;
}

TEST(FeedTool, ConfiguredOutputAndTheFilesBesideIt) {
    TTempDir Dir;
    // A copy of the program in a folder of its own, with the files beside it.
    const std::string Program = Dir.File("feedloom-feed");
    std::filesystem::copy_file(kTool, Program);
    const std::string State = Dir.File("feedloom.dat"), Settings = Dir.File("feedloom.ini");
    SaveSample(State, Settings);

    // No output given and none configured.
    TRun R = RunTool(Program, {}, Dir);
    EXPECT_EQ(R.Status, 1);
    EXPECT_TRUE(IsOneLine(R.Err)) << R.Err;
    EXPECT_EQ(R.Err.rfind("feedloom-feed: ", 0), 0u);

    // The configured file, which need not exist yet.
    TSettings S;
    LoadSettings(Settings, S);
    S.F1Checked = true;
    S.FSavePath = Dir.File("configured.rdf");
    SaveSettings(Settings, S);
    R = RunTool(Program, {}, Dir);
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(WithoutChannelDate(ReadFileBytes(S.FSavePath)),
              WithoutChannelDate(WindowFeed(State, Settings)));

    // A path on the command line wins over the configured file.
    R = RunTool(Program, {Dir.File("given.rdf")}, Dir);
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_TRUE(std::filesystem::exists(Dir.File("given.rdf")));

    // A configured file that is the state file, or the archive beside the program, is
    // refused: the tool never writes over its inputs.
    const std::string StateBefore = ReadFileBytes(State);
    for (const std::string& Input : {State, Dir.File("feedloom.rdf")}) {
        WriteFileBytes(Dir.File("feedloom.rdf"), "archive");
        S.FSavePath = Input;
        SaveSettings(Settings, S);
        R = RunTool(Program, {}, Dir);
        EXPECT_EQ(R.Status, 1) << Input;
        EXPECT_EQ(R.Err, "feedloom-feed: not writing " + Input + ": it is the same file as " + Input + "\n");
        EXPECT_EQ(ReadFileBytes(State), StateBefore);
        EXPECT_EQ(ReadFileBytes(Dir.File("feedloom.rdf")), "archive");
    }
}

// Outputs that are not regular files are written in place, never replaced; "-" is the
// standard output; a link's target is replaced and the link stays.
TEST(FeedTool, OutputsThatAreNoRegularFile) {
    TTempDir Dir;
    const std::string State = Dir.File("s.dat"), Settings = Dir.File("s.ini");
    SaveSample(State, Settings);
    const std::string Want = WithoutChannelDate(WindowFeed(State, Settings));
    const std::vector<std::string> Inputs{"--state", State, "--settings", Settings};
    auto Args = [&](const std::string& Output) {
        std::vector<std::string> A = Inputs;
        A.push_back(Output);
        return A;
    };

    TRun R = RunTool(kTool, Args("-"), Dir);
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(WithoutChannelDate(R.Out), Want);

    // A FIFO with a reader gets the feed through the FIFO.
    const std::string Fifo = Dir.File("fifo");
    ASSERT_EQ(mkfifo(Fifo.c_str(), 0644), 0);
    std::string Read;
    std::thread Reader([&] {
        const int Fd = open(Fifo.c_str(), O_RDONLY);
        char Buffer[4096];
        for (ssize_t N; (N = read(Fd, Buffer, sizeof Buffer)) > 0;)
            Read.append(Buffer, static_cast<size_t>(N));
        close(Fd);
    });
    // The reader may not have opened the FIFO yet: the tool then fails at once, never waits.
    for (int Try = 0; Try < 1000; ++Try) {
        R = RunTool(kTool, Args(Fifo), Dir);
        if (R.Status == 0) break;
        EXPECT_NE(R.Err.find("を作成できません"), std::string::npos) << R.Err;
    }
    ASSERT_EQ(R.Status, 0) << R.Err;
    Reader.join();
    EXPECT_EQ(WithoutChannelDate(Read), Want);
    EXPECT_TRUE(std::filesystem::is_fifo(Fifo));

    // A character device stays one.
    R = RunTool(kTool, Args("/dev/null"), Dir);
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

    // A link: its target is replaced, the link stays.
    const std::string Target = Dir.File("target.rdf"), Link = Dir.File("link.rdf");
    WriteFileBytes(Target, "old");
    std::filesystem::create_symlink(Target, Link);
    R = RunTool(kTool, Args(Link), Dir);
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_TRUE(std::filesystem::is_symlink(Link));
    EXPECT_EQ(WithoutChannelDate(ReadFileBytes(Target)), Want);

    // Names CP932 cannot hold are read and written as given.
    const std::string Accented = Dir.File("caf\xC3\xA9 \xE3\x80\x9C.rdf"); // café 〜
    const std::string AccentedState = Dir.File("\xC3\xA9tat.dat");         // état
    std::filesystem::copy_file(State, AccentedState);
    R = RunTool(kTool, {"--state", AccentedState, "--settings", Settings, Accented}, Dir);
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(WithoutChannelDate(ReadFileBytes(Accented)), Want);
}

TEST(FeedTool, OneLineErrorsAndExitStatusOne) {
    TTempDir Dir;
    const std::string State = Dir.File("s.dat"), Settings = Dir.File("s.ini"), Out = Dir.File("out.rdf");
    SaveSample(State, Settings);
    const std::string Damaged = Dir.File("damaged.dat");
    const std::string Good = ReadFileBytes(State);
    WriteFileBytes(Damaged, Good.substr(0, Good.size() / 2));

    // Inputs that are no regular file, or cannot be read; outputs that are an input.
    const std::string Fifo = Dir.File("fifo"), Folder = Dir.File("folder"), Link = Dir.File("link.dat");
    ASSERT_EQ(mkfifo(Fifo.c_str(), 0644), 0);
    std::filesystem::create_directory(Folder);
    std::filesystem::create_symlink(State, Link);
    // Files without read permission: root reads them anyway, so as root those rows run as
    // nobody (setpriv), who may pass through the folder and read the rest.
    const std::string Locked = Dir.File("locked.ini"), LockedState = Dir.File("locked.dat");
    WriteFileBytes(Locked, "[Time]\narea=+01:00\n");
    WriteFileBytes(LockedState, Good);
    chmod(Locked.c_str(), 0);
    chmod(LockedState.c_str(), 0);
    std::vector<std::string> Unprivileged;
    if (geteuid() == 0) {
        Unprivileged = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
        chmod(Dir.File("").c_str(), 0711);
    }
    const std::string Same = "feedloom-feed: not writing ";

    const struct {
        std::vector<std::string> Args;
        std::string ErrStart;
        bool WithoutPrivileges = false;
    } Cases[] = {
        {{"--bogus"}, "feedloom-feed: unknown option: --bogus (usage: feedloom-feed "},
        {{"--state"}, "feedloom-feed: --state needs a file name (usage: "},
        {{"--settings", "", Out}, "feedloom-feed: --settings needs a file name, not an empty one"},
        {{Out, Out}, "feedloom-feed: more than one output file: "},
        {{"--state", Dir.File("none.dat"), "--settings", Settings, Out}, "feedloom-feed: no state file: "},
        {{"--state", Damaged, "--settings", Settings, Out},
         "feedloom-feed: cannot read the state file " + Damaged + ": ストリームからの読み込みエラー"},
        {{"--state", Folder, "--settings", Settings, Out},
         "feedloom-feed: state file is a folder: " + Folder},
        {{"--state", Fifo, "--settings", Settings, Out},
         "feedloom-feed: cannot read the state file " + Fifo + ": ファイル \"" + Fifo + "\" を開けません。"},
        {{"--state", State, "--settings", Fifo, Out},
         "feedloom-feed: cannot read the settings file " + Fifo + ": ファイル \"" + Fifo +
             "\" を開けません。"},
        {{"--state", State, "--settings", Folder, Out},
         "feedloom-feed: settings file is a folder: " + Folder},
        {{"--state", State, "--settings", Locked, Out}, "feedloom-feed: cannot read the settings file " + Locked,
         true},
        {{"--state", LockedState, "--settings", Settings, Out},
         "feedloom-feed: cannot read the state file " + LockedState, true},
        {{"--state", State, "--settings", Settings, Dir.File("no-folder/out.rdf")},
         "feedloom-feed: ファイル \"" + Dir.File("no-folder/out.rdf") + "\" を作成できません。"},
        {{"--state", State, "--settings", Settings, Folder},
         "feedloom-feed: ファイル \"" + Folder + "\" を作成できません。"},
        {{"--state", State, "--settings", Settings, State},
         Same + State + ": it is the same file as " + State},
        {{"--state", State, "--settings", Settings, Link}, Same + Link + ": it is the same file as " + State},
        {{"--state", Link, "--settings", Settings, State}, Same + State + ": it is the same file as " + Link},
        {{"--state", State, "--settings", Settings, Settings},
         Same + Settings + ": it is the same file as " + Settings},
    };
    const std::string SettingsBefore = ReadFileBytes(Settings);
    for (const auto& C : Cases) {
        const TRun R = RunTool(kTool, C.Args, Dir, C.WithoutPrivileges ? Unprivileged : std::vector<std::string>{});
        EXPECT_EQ(R.Status, 1) << C.ErrStart;
        EXPECT_TRUE(IsOneLine(R.Err)) << R.Err;
        EXPECT_EQ(R.Err.rfind(C.ErrStart, 0), 0u) << R.Err;
        EXPECT_FALSE(std::filesystem::exists(Out)) << C.ErrStart;
        EXPECT_EQ(ReadFileBytes(State), Good) << C.ErrStart;
        EXPECT_EQ(ReadFileBytes(Settings), SettingsBefore) << C.ErrStart;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(Link));
    EXPECT_TRUE(std::filesystem::is_fifo(Fifo));
    // The damaged file is left as it was, and nothing is kept aside by the tool.
    EXPECT_EQ(ReadFileBytes(Damaged), Good.substr(0, Good.size() / 2));
    EXPECT_FALSE(std::filesystem::exists(Damaged + ".bad"));

    const TRun Help = RunTool(kTool, {"--help"}, Dir);
    EXPECT_EQ(Help.Status, 0);
    EXPECT_TRUE(IsOneLine(Help.Out));
}

TEST(FeedTool, CheckPrintsFindingsAndExitStatus) {
    TTempDir Dir;
    const std::string State = Dir.File("s.dat"), Settings = Dir.File("s.ini"), Out = Dir.File("out.rdf");
    TAppData Data;
    Data.SiteE = "http://example.jp/";
    Data.NameE = "n";
    Data.Settings.FTimeZone = "+09:00";
    // Written by hand, with an output file configured (which --check alone never writes).
    Data.Settings.F1Checked = true;
    Data.Settings.FSavePath = Out;
    SaveSettings(Settings, Data.Settings);
    const struct {
        std::string SecondLink; // the first item's link is http://example.jp/1
        std::vector<std::string> Args;
        int Status;
        std::string Out, ErrStart; // ErrStart: the findings when a feed is written too
    } Cases[] = {
        {"http://example.jp/2", {"--check"}, 0, "", ""},
        {"http://example.jp/1", {"--check"}, 2, "error\t2\t", ""},
        {"http://example.jp/1", {"--check", Out}, 2, "", "error\t2\t"},
        {"http://example.jp/1", {"--check", "--state", Dir.File("none.dat")}, 1, "", "feedloom-feed: "},
    };
    for (const auto& C : Cases) {
        Data.Items.Clear();
        Data.Items.InsertItem({"http://example.jp/1", "2026-12-08T10:00:00+09:00", "", "a"});
        Data.Items.InsertItem({C.SecondLink, "2026-12-08T11:00:00+09:00", "", "b"});
        TStateFile(State).SaveState(Data);
        std::vector<std::string> Args = {"--state", State, "--settings", Settings};
        Args.insert(Args.end(), C.Args.begin(), C.Args.end());
        const TRun R = RunTool(kTool, Args, Dir);
        EXPECT_EQ(R.Status, C.Status) << R.Err;
        EXPECT_EQ(R.Out.rfind(C.Out, 0), 0u) << R.Out;
        EXPECT_TRUE(C.Out.empty() ? R.Out.empty() : IsOneLine(R.Out)) << R.Out;
        EXPECT_EQ(R.Err.rfind(C.ErrStart, 0), 0u) << R.Err;
        EXPECT_TRUE(C.ErrStart.empty() ? R.Err.empty() : IsOneLine(R.Err)) << R.Err;
        // A feed only beside an OUTPUT, and then the usual one.
        EXPECT_EQ(std::filesystem::exists(Out), C.Args.back() == Out);
        if (std::filesystem::exists(Out)) {
            EXPECT_EQ(WithoutChannelDate(ReadFileBytes(Out)),
                      WithoutChannelDate(WindowFeed(State, Settings)));
        }
        std::filesystem::remove(Out);
    }
}
