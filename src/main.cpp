// The entry point: standard input, standard output (written with write(2),
// a call per line end) and standard error, and the failures of the system
// itself, which are said on standard error.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <string_view>
#include <vector>

#include "run.hpp"
#include "writer.hpp"

int main(int argc, char** argv) {
    // A reader that goes away ends the filter quietly, as for any filter.
    std::signal(SIGPIPE, SIG_DFL);
    std::ios::sync_with_stdio(false);
    std::vector<std::string_view> args(argv + std::min(argc, 1), argv + argc);
    initform::Writer out(STDOUT_FILENO);
    int status;
    try {
        status = initform::run(args, std::cin, out, &std::cerr);
    } catch (const std::bad_alloc&) {
        // Not an input error but the machine's limit: say so where a
        // system failure is said, and do not report success.
        std::fputs("initform: out of memory\n", stderr);
        return 1;
    }
    if (!out.ok()) {
        std::fprintf(stderr, "initform: cannot write standard output: %s\n", std::strerror(out.error()));
        return 1;
    }
    return status;
}
