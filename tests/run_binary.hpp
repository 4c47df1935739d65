// Runs the initform binary with given arguments and standard input, and
// collects its standard output, standard error and exit status.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace initform::test {

struct Outcome {
    std::string out;
    std::string err;
    int status = -1;  // exit status, or 128 + signal
};

inline std::string slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

inline std::string tempPath(const char* tag) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/initform-test-" + std::to_string(getpid()) + "-" + tag;
}

// stdoutPath, when given, receives standard output instead of a temp file
// (for example /dev/full).
inline Outcome runBinary(const std::vector<std::string>& args, const std::string& input,
                         const char* stdoutPath = nullptr) {
    const std::string in = tempPath("in"), out = tempPath("out"), err = tempPath("err");
    std::ofstream(in, std::ios::binary) << input;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath ? stdoutPath : out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv{const_cast<char*>(INITFORM_BINARY)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    Outcome o;
    if (posix_spawn(&pid, INITFORM_BINARY, &actions, nullptr, argv.data(), environ) == 0) {
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        o.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (!stdoutPath) o.out = slurp(out);
    o.err = slurp(err);
    std::remove(in.c_str());
    std::remove(out.c_str());
    std::remove(err.c_str());
    return o;
}

}  // namespace initform::test
