// tesmora-classroom: the simulated classroom on the command line. Main thread.
#include <cstdio>
#include <string>

#include "core/command_line.h"
#include "net/classroom.h"

using namespace tesmora;
using namespace tesmora::classroom;

int main(int argc, char** argv) {
    ClassroomOptions options;
    std::string error;
    switch (ParseCommandLine(argc, argv, options, error)) {
        case CommandLineOutcome::kHelp:
            std::fputs(CommandLineHelp().c_str(), stdout);
            return 0;
        case CommandLineOutcome::kError:
            std::fprintf(stderr, "tesmora-classroom: %s\n", error.c_str());
            return 2;
        case CommandLineOutcome::kRun:
            break;
    }
    Classroom classroom(std::move(options));
    if (!classroom.Start(error)) {
        std::fprintf(stderr, "tesmora-classroom: %s\n", error.c_str());
        return 1;
    }
    std::fputs(classroom.Banner().c_str(), stdout);
    std::fflush(stdout);
    classroom.Run();
    return 0;
}
