// crash-scenario: crash situations beyond crash-probe's kinds, each in a
// process of its own, for the capture tests.
//
//   crash-scenario --dir FOLDER SCENARIO [ARGUMENT]
//
// Scenarios:
//   callback-fault       the crash callback itself faults
//   callback-allocates   the crash callback allocates (it runs on the
//                        alternate signal stack)
//   two-threads          two threads fault at the same moment
//   foreign-handler      a SIGSEGV handler installed before set-up; it prints
//                        "foreign handler ran" and exits with 42
//   wait-for-kill        prints "ready" and waits (for kill -SEGV)
//   images LIBRARY       opens, refreshes, closes, refreshes, opens again and
//                        crashes inside the library
//   silent-thread        one thread blocks every signal; then a fault
//   kit-thread-overflow  a stack overflow on a thread of the kit's
//   debugger             runs the set-up under a tracer; prints "handlers" or
//                        "no-handlers"
//   handler-check        foreign SIGBUS and terminate handlers, then the checks
//   custom-exceptions    records 20 custom exceptions, one with frames
// Like crash-probe, it prints "run-folder: PATH" once the reporter runs.
#include "ProbeSetUp.h"
#include "Scenarios.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    std::string folder;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc)
            folder = argv[++i];
        else
            words.emplace_back(argv[i]);
    }
    if (folder.empty() || words.empty()) {
        std::fprintf(stderr, "usage: crash-scenario --dir FOLDER SCENARIO [ARGUMENT]\n");
        return 2;
    }
    return scenario::run(folder, words);
}
