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

// Where the binary's standard output goes.
enum class Sink { File, DevFull, Closed, BrokenPipe };
// Where its standard input comes from: a file holding the input, a pipe it
// is written into (no size to go by), or something that cannot be read.
enum class Source { File, Pipe, Closed, Directory };

inline Outcome runBinary(const std::vector<std::string>& args, const std::string& input,
                         Sink sink = Sink::File, Source source = Source::File) {
    const std::string in = tempPath("in"), out = tempPath("out"), err = tempPath("err");
    std::ofstream(in, std::ios::binary) << input;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int inPipe[2] = {-1, -1};
    switch (source) {
        case Source::File:
            posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
            break;
        case Source::Pipe:
            if (pipe(inPipe) != 0) return {};
            posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
            posix_spawn_file_actions_addclose(&actions, inPipe[0]);
            posix_spawn_file_actions_addclose(&actions, inPipe[1]);
            break;
        case Source::Closed:
            posix_spawn_file_actions_addclose(&actions, 0);
            break;
        case Source::Directory:
            posix_spawn_file_actions_addopen(&actions, 0, "/", O_RDONLY, 0);
            break;
    }
    int pipeEnds[2] = {-1, -1};
    switch (sink) {
        case Sink::File:
            posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            break;
        case Sink::DevFull:
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
            break;
        case Sink::Closed:
            posix_spawn_file_actions_addclose(&actions, 1);
            break;
        case Sink::BrokenPipe:  // a reader that is already gone
            if (pipe(pipeEnds) != 0) return {};
            close(pipeEnds[0]);
            posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
            posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
            break;
    }
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv{const_cast<char*>(INITFORM_BINARY)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    Outcome o;
    if (posix_spawn(&pid, INITFORM_BINARY, &actions, nullptr, argv.data(), environ) == 0) {
        if (source == Source::Pipe) {
            // Output goes to a file, so the child reads all of this.
            close(inPipe[0]);
            for (std::size_t done = 0; done < input.size();) {
                const ssize_t n = write(inPipe[1], input.data() + done, input.size() - done);
                if (n <= 0) break;
                done += static_cast<std::size_t>(n);
            }
            close(inPipe[1]);
        }
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        o.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (pipeEnds[1] >= 0) close(pipeEnds[1]);
    if (sink == Sink::File) o.out = slurp(out);
    o.err = slurp(err);
    std::remove(in.c_str());
    std::remove(out.c_str());
    std::remove(err.c_str());
    return o;
}

}  // namespace initform::test
