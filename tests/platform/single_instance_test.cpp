// Tests of the single-instance lock across processes.
#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

namespace {

// A name no other test run or real instance uses.
std::string TestName(const char* Tag) {
    return std::string("Feedloom-test-") + Tag + "-" + std::to_string(getpid());
}

TEST(NamedMutex, OneHolderAtATime) {
    const std::string Name = TestName("local");
    EXPECT_FALSE(TNamedMutex::Exists(Name));
    TNamedMutex A;
    ASSERT_TRUE(A.Create(Name));
    EXPECT_TRUE(TNamedMutex::Exists(Name));
    EXPECT_TRUE(TNamedMutex::Exists(Name)); // looking does not take or disturb it
    TNamedMutex B;
    EXPECT_FALSE(B.Create(Name));
    EXPECT_FALSE(TNamedMutex::Exists(Name + "x"));
    A.Release();
    A.Release();
    EXPECT_FALSE(TNamedMutex::Exists(Name));
    EXPECT_TRUE(B.Create(Name));
    {
        TNamedMutex Scoped;
        EXPECT_TRUE(Scoped.Create(TestName("scoped")));
    }
    EXPECT_FALSE(TNamedMutex::Exists(TestName("scoped"))); // the destructor releases
    EXPECT_FALSE(B.Create(std::string(200, 'n')));         // too long for the address
    EXPECT_FALSE(TNamedMutex::Exists(std::string(200, 'n')));
}

// Another process holds the lock; killed outright, it leaves nothing behind.
TEST(NamedMutex, KilledHolderFreesTheLock) {
    const std::string Name = TestName("fork");
    int Pipe[2];
    ASSERT_EQ(pipe(Pipe), 0);
    pid_t Child = fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        TNamedMutex M;
        char Ok = M.Create(Name) ? 'y' : 'n';
        if (write(Pipe[1], &Ok, 1) != 1) _exit(2);
        for (;;) pause();
    }
    close(Pipe[1]);
    char Ok = 0;
    ASSERT_EQ(read(Pipe[0], &Ok, 1), 1);
    close(Pipe[0]);
    ASSERT_EQ(Ok, 'y');

    EXPECT_TRUE(TNamedMutex::Exists(Name));
    TNamedMutex Mine;
    EXPECT_FALSE(Mine.Create(Name));

    kill(Child, SIGKILL);
    int Status = 0;
    ASSERT_EQ(waitpid(Child, &Status, 0), Child);
    EXPECT_TRUE(WIFSIGNALED(Status));
    EXPECT_FALSE(TNamedMutex::Exists(Name));
    EXPECT_TRUE(Mine.Create(Name));
}

// A program started by the holder does not inherit the lock.
TEST(NamedMutex, StartedProgramsDoNotKeepTheLock) {
    const std::string Name = TestName("exec");
    TNamedMutex M;
    ASSERT_TRUE(M.Create(Name));
    pid_t Sleeper = -1;
    char Arg0[] = "sleep", Arg1[] = "60";
    char* Argv[] = {Arg0, Arg1, nullptr};
    ASSERT_EQ(posix_spawnp(&Sleeper, "sleep", nullptr, nullptr, Argv, environ), 0);
    M.Release();
    EXPECT_FALSE(TNamedMutex::Exists(Name));
    kill(Sleeper, SIGKILL);
    waitpid(Sleeper, nullptr, 0);
}

} // namespace
