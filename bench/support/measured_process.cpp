// Child processes under GNU time for the whole-process benchmarks.
#include "support/measured_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

extern "C" char** environ;

namespace benchtext {

TMeasuredRun RunMeasured(std::vector<std::string> Args, const std::string& RssFile) {
    Args.insert(Args.begin(), {"/usr/bin/time", "-f", "%M", "-o", RssFile});
    std::vector<char*> Argv;
    for (std::string& A : Args) Argv.push_back(A.data());
    Argv.push_back(nullptr);
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addopen(&Actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&Actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&Actions, 2, "/dev/null", O_WRONLY, 0);
    const auto T0 = std::chrono::steady_clock::now();
    pid_t Pid;
    if (posix_spawnp(&Pid, Argv[0], &Actions, nullptr, Argv.data(), environ) != 0) {
        std::perror(Argv[0]);
        std::exit(1);
    }
    int Status = 0;
    waitpid(Pid, &Status, 0);
    TMeasuredRun Run;
    Run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
    posix_spawn_file_actions_destroy(&Actions);
    // The figure is the last line: GNU time puts "Command exited with non-zero status N"
    // before it. The status is time's, which passes on the command's.
    if (FILE* F = std::fopen(RssFile.c_str(), "r")) {
        char Line[256];
        while (std::fgets(Line, sizeof Line, F))
            if (std::sscanf(Line, "%lld", &Run.PeakKib) != 1) Run.PeakKib = -1;
        std::fclose(F);
    }
    std::remove(RssFile.c_str());
    if (WIFEXITED(Status)) Run.ExitStatus = WEXITSTATUS(Status);
    return Run;
}

} // namespace benchtext
