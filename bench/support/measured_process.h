// Runs a command as a child process and measures it: wall time, peak resident memory and
// exit status, for the benchmarks that compare whole processes.
#pragma once

#include <string>
#include <vector>

namespace benchtext {

struct TMeasuredRun {
    double Seconds = 0;    // wall time from the start to the end of the child
    long long PeakKib = -1; // peak resident memory (GNU time's %M); -1 when not known
    int ExitStatus = -1;    // the command's exit status; -1 when it did not exit normally
};

// Runs Args (found on PATH, its output thrown away) under GNU time, which forks it from its
// own small process: a process started straight from this one would inherit this process's
// peak in ru_maxrss. RssFile is a scratch file for time's figure. Ends this process when the
// command cannot be started at all.
TMeasuredRun RunMeasured(std::vector<std::string> Args, const std::string& RssFile);

} // namespace benchtext
