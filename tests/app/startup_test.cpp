// Start-up: the main window's frame, the window order, and the single-instance rule
// of the real program.
#include "app/application.h"

#include <chrono>
#include <cstdio>
#include <csignal>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/app_test_support.h"
#include "platform/cp932.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/single_instance.h"
#include "support/qt_app.h"

extern char** environ;

TEST(Startup, MainWindowFrameAsDesigned) {
    TTempDir Dir;
    testsupport::TScriptedToolkit T;
    TFeedloomApplication App(T, apptest::FilesIn(Dir));
    App.CreateForms();
    TUiForm& W = App.Form1()->Window();
    W.Show();
    EXPECT_EQ(W.GetCaption(), cp932::Literal("Feedloom Ver1.08"));
    EXPECT_EQ(W.GetBorderStyle(), bsSingle);
    EXPECT_EQ(W.GetClientWidth(), 469);
    EXPECT_EQ(W.GetClientHeight(), 353);
    EXPECT_EQ(W.GetFontFace(), cp932::Literal("ＭＳ Ｐゴシック"));
    EXPECT_EQ(W.GetFontHeight(), 12);
    ASSERT_NE(App.Form1()->FOutput, nullptr);
    EXPECT_EQ(App.Form1()->FOutput->GetCount(), 0);
    // The dialogs exist from the start and stay hidden until they are needed.
    ASSERT_NE(App.Form2(), nullptr);
    ASSERT_NE(App.Form3(), nullptr);
    ASSERT_NE(App.Form4(), nullptr);
    EXPECT_FALSE(App.Form2()->Window().IsVisible());
    EXPECT_EQ(App.Form3()->Window().GetCaption(), cp932::Literal("保存ファイル指定"));
    EXPECT_EQ(App.Form4()->Window().GetClientWidth(), 324);
}

namespace {

// Starts the built program; with a user id, as that user through setpriv.
pid_t StartProgram(int UserId = -1) {
    const std::string Path = std::string(FEEDLOOM_TEST_BINARY_DIR) + "/feedloom";
    const std::string Id = std::to_string(UserId);
    std::vector<std::string> Args = {Path};
    if (UserId >= 0)
        Args = {"/usr/bin/setpriv", "--reuid=" + Id, "--regid=" + Id, "--clear-groups", "--", Path};
    std::vector<char*> Argv;
    for (std::string& A : Args) Argv.push_back(A.data());
    Argv.push_back(nullptr);
    pid_t Pid = -1;
    EXPECT_EQ(posix_spawn(&Pid, Argv[0], nullptr, nullptr, Argv.data(), environ), 0);
    return Pid;
}

// Waits, with a deadline, until the instance lock Name is held (or the child has ended).
bool WaitForLock(pid_t Child, const std::string& Name = InstanceLockName()) {
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < Deadline) {
        if (TNamedMutex::Exists(Name)) return true;
        int Status;
        if (waitpid(Child, &Status, WNOHANG) == Child) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5)); // polled, with a deadline
    }
    return false;
}

int WaitExit(pid_t Pid) {
    int Status = 0;
    if (waitpid(Pid, &Status, 0) != Pid) return -1;
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
}

} // namespace

TEST(Startup, SecondInstanceEndsSilentlyAndAKilledHolderFreesTheLock) {
    ASSERT_FALSE(TNamedMutex::Exists(InstanceLockName())) << "another Feedloom is running on this machine";
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    pid_t First = StartProgram();
    ASSERT_TRUE(WaitForLock(First));

    // A second start while the first runs ends at once with status 0.
    EXPECT_EQ(WaitExit(StartProgram()), 0);

    // Another user starts normally beside it (nobody's uid, as root can switch to it).
    if (geteuid() == 0) {
        const int Other = 65534;
        pid_t Second = StartProgram(Other);
        EXPECT_TRUE(WaitForLock(Second, PerUserLockName("Feedloom", Other)));
        EXPECT_TRUE(TNamedMutex::Exists(InstanceLockName()));
        kill(Second, SIGTERM);
        WaitExit(Second);
    } else {
        std::printf("[   NOTE   ] not root: the start by a second user is not tried\n");
    }

    // The first is killed outright; nothing stale keeps a new start from running.
    kill(First, SIGKILL);
    EXPECT_EQ(WaitExit(First), 128 + SIGKILL);
    EXPECT_FALSE(TNamedMutex::Exists(InstanceLockName()));
    pid_t Third = StartProgram();
    EXPECT_TRUE(WaitForLock(Third));
    kill(Third, SIGTERM);
    WaitExit(Third);
}
