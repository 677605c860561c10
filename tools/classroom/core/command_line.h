// The classroom's command line: where it listens, what it logs and saves, and its scenario.
// Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "core/scenario.h"

namespace tesmora::classroom {

struct ClassroomOptions {
    std::string listenHost = "127.0.0.1";
    std::string advertiseHost;        // empty: the listen address (127.0.0.1 when listening on all)
    uint16_t lookupPort = 18443;      // relay lookup: TLS and plain HTTP on one port
    uint16_t lookupHttpPort = 18080;  // relay lookup: plain HTTP only
    uint16_t loginPort = 18500;
    uint16_t teacherPort = 18600;
    Scenario scenario;
    std::string eventsPath;
    std::string outDir;
    bool quiet = false;
    double exitAfterSeconds = 0;  // 0: run until SIGINT or SIGTERM
    bool recordEvents = false;    // keep events in memory (tests)

    // The host written into the lookup reply and [UR00002].
    std::string AdvertisedHost() const;
};

enum class CommandLineOutcome { kRun, kHelp, kError };

CommandLineOutcome ParseCommandLine(int argc, const char* const* argv, ClassroomOptions& options,
                                    std::string& error);
std::string CommandLineHelp();

}  // namespace tesmora::classroom
