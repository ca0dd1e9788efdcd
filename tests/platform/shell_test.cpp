// Tests of opening a file or URL through xdg-open.
#include "platform/shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/cp932.h"
#include "platform_test_support.h"

namespace {

// Puts PATH back as it was.
class TPathGuard {
public:
    TPathGuard() {
        if (const char* P = getenv("PATH")) FOld = P, FHad = true;
    }
    ~TPathGuard() {
        if (FHad)
            setenv("PATH", FOld.c_str(), 1);
        else
            unsetenv("PATH");
    }

private:
    std::string FOld;
    bool FHad = false;
};

// Waits, polling with a deadline, until File exists; its contents, or "" on time-out.
std::string WaitForFile(const std::string& File) {
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    struct stat St;
    while (stat(File.c_str(), &St) != 0) {
        if (std::chrono::steady_clock::now() > Deadline) return std::string();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return ReadAll(File);
}

// No child of this process is left, neither running nor a zombie.
bool NoChildLeft() {
    int Status;
    return waitpid(-1, &Status, WNOHANG) == -1 && errno == ECHILD;
}

TEST(ShellOpen, PassesOneUtf8ArgumentWithoutAShell) {
    TTempDir Dir;
    TPathGuard Guard;
    const std::string Out = Dir / "argv";
    WriteAll(Dir / "xdg-open", "#!/bin/sh\n"
                               "PATH=/usr/bin:/bin\n"
                               "printf '%s\\n' \"$#\" \"$@\" > '" +
                                   Out + ".part' && mv '" + Out + ".part' '" + Out + "'\n");
    chmod((Dir / "xdg-open").c_str(), 0755);
    setenv("PATH", (Dir.Path() + ":/usr/bin:/bin").c_str(), 1);

    struct Case {
        std::string In;
        std::string Want; // the script's output: count, then each argument
    } Cases[] = {
        {cp932::Literal("/home/u/フィード 表.rdf"), "1\n/home/u/フィード 表.rdf\n"},
        {"http://example.org/?a=1&b=$(touch " + Dir.Path() + "/pwned);`id`",
         "1\nhttp://example.org/?a=1&b=$(touch " + Dir.Path() + "/pwned);`id`\n"},
        {"-h", "1\n./-h\n"},
        {"", "1\n\n"},
    };
    for (const auto& C : Cases) {
        unlink(Out.c_str());
        ShellOpen(C.In);
        EXPECT_TRUE(NoChildLeft()) << C.In;
        EXPECT_EQ(WaitForFile(Out), C.Want);
    }
    struct stat St;
    EXPECT_NE(stat((Dir / "pwned").c_str(), &St), 0) << "the argument went through a shell";
}

TEST(ShellOpen, MissingOpenerIsNotAnError) {
    TTempDir Dir;
    TPathGuard Guard;
    for (const std::string& Path : {std::string(), Dir.Path(), Dir / "absent"}) {
        setenv("PATH", Path.c_str(), 1);
        EXPECT_NO_THROW(ShellOpen("http://example.org/"));
        EXPECT_TRUE(NoChildLeft());
    }
}

} // namespace
