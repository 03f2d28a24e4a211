// A program started by a test with its standard input and output on pipes.
#pragma once

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

struct PipedChild {
    pid_t pid = -1;
    int in = -1;   // writes to the child's standard input
    int out = -1;  // reads its standard output
};

// Starts path with argv (argv[0] first); each pair of env is set in the child
// only, and its standard error goes to /dev/null when quiet.  pid is -1 and
// no descriptor is open when the pipes or the fork failed.
inline PipedChild startPiped(const char* path, std::vector<const char*> argv, bool quiet = false,
                             const std::vector<std::pair<const char*, std::string>>& env = {})
{
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0) return {};
    if (pipe(fromChild) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        return {};
    }
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        if (quiet) {
            const int devnull = open("/dev/null", O_WRONLY);
            if (devnull >= 0) dup2(devnull, 2);
        }
        close(toChild[1]);
        close(fromChild[0]);
        for (const auto& [name, value] : env) setenv(name, value.c_str(), 1);
        execv(path, const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    if (pid < 0) {
        close(toChild[1]);
        close(fromChild[0]);
        return {};
    }
    return {pid, toChild[1], fromChild[0]};
}
