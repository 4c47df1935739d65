// The entry point: standard input and output as file descriptors (output
// written with write(2), a call per line end), and standard error for the
// failures of the system itself.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <new>
#include <string_view>
#include <vector>

#include "diagnostics.hpp"
#include "run.hpp"

int main(int argc, char** argv) {
    // A reader that goes away ends the filter quietly, as for any filter.
    std::signal(SIGPIPE, SIG_DFL);
    initform::exitWhenGmpRunsOutOfMemory();
    initform::ErrorStream err(STDERR_FILENO);
    try {
        const std::vector<std::string_view> args(argv + std::min(argc, 1), argv + argc);
        initform::Writer out(STDOUT_FILENO);
        return initform::run(args, initform::InputSource{STDIN_FILENO}, out, err);
    } catch (const std::bad_alloc&) {
        err.line({initform::kOutOfMemory});
        return 1;
    }
}
