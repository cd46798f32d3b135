// Runs a shell command and keeps what it wrote on standard output and its exit status:
// how the tests drive the command-line tools as their users do.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

struct TCommandRun {
    int Status = -1;  // exit status; -1 when the command did not end normally
    std::string Out;
};

inline TCommandRun RunCommand(const std::string& command)
{
    TCommandRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.Out.append(buffer.data(), n);
    int raw = pclose(pipe);
    run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}
