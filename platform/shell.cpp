// Opening a file or URL with the program the desktop associates with it.
#include "platform/shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "platform/cp932.h"

extern char** environ;

namespace {

// The first executable Program on PATH, or "" when there is none.
std::string FindOnPath(const std::string& Program) {
    // An unset PATH means the default search path, as for execvp; an empty one, nothing.
    const char* Path = getenv("PATH");
    if (!Path) Path = "/usr/local/bin:/usr/bin:/bin";
    if (!*Path) return std::string();
    std::string_view Rest = Path;
    while (true) {
        size_t Colon = Rest.find(':');
        std::string_view Dir = Rest.substr(0, Colon);
        if (Dir.empty()) Dir = "."; // an empty entry means the current folder
        std::string Candidate;
        Candidate.append(Dir).append("/").append(Program);
        struct stat St;
        if (stat(Candidate.c_str(), &St) == 0 && S_ISREG(St.st_mode) && access(Candidate.c_str(), X_OK) == 0)
            return Candidate;
        if (Colon == std::string_view::npos) return std::string();
        Rest.remove_prefix(Colon + 1);
    }
}

} // namespace

void ShellOpen(const std::string& PathOrUrl) {
    const std::string Program = FindOnPath("xdg-open");
    if (Program.empty()) return;
    std::string Arg = cp932::ToUtf8(PathOrUrl);
    if (!Arg.empty() && Arg[0] == '-') Arg = "./" + Arg;
    char* Argv[] = {const_cast<char*>(Program.c_str()), const_cast<char*>(Arg.c_str()), nullptr};

    // Everything is prepared before fork: the children only call async-signal-safe
    // functions. The middle child starts a new session, forks the opener and ends at
    // once; the opener is adopted by init, which reaps it.
    pid_t Middle = fork();
    if (Middle < 0) return;
    if (Middle == 0) {
        setsid();
        pid_t Opener = fork();
        if (Opener == 0) {
            int Null = open("/dev/null", O_RDONLY);
            if (Null >= 0) {
                dup2(Null, STDIN_FILENO);
                if (Null != STDIN_FILENO) close(Null);
            }
            execve(Program.c_str(), Argv, environ);
            _exit(127);
        }
        _exit(0);
    }
    int Status;
    while (waitpid(Middle, &Status, 0) < 0 && errno == EINTR) {
    }
}
