// Command-line parsing and the help text. Main thread only.
#include "core/command_line.h"

#include <charconv>
#include <cstdlib>
#include <vector>

#include "core/text_codec.h"

namespace tesmora::classroom {

namespace {

bool ParsePort(std::string_view text, uint16_t& port) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value > 65535) return false;
    port = uint16_t(value);
    return true;
}

}  // namespace

std::string ClassroomOptions::AdvertisedHost() const {
    if (!advertiseHost.empty()) return advertiseHost;
    return listenHost == "0.0.0.0" ? "127.0.0.1" : listenHost;
}

CommandLineOutcome ParseCommandLine(int argc, const char* const* argv, ClassroomOptions& options,
                                    std::string& error) {
    std::vector<std::string> teacherIds;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return CommandLineOutcome::kHelp;
        if (arg == "--quiet") {
            options.quiet = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = arg.rfind("--", 0) == 0 ? arg + " needs a value" : "unexpected argument: " + arg;
            return CommandLineOutcome::kError;
        }
        const std::string value = argv[++i];
        uint16_t* port = arg == "--lookup-port"        ? &options.lookupPort
                         : arg == "--lookup-http-port" ? &options.lookupHttpPort
                         : arg == "--login-port"       ? &options.loginPort
                         : arg == "--teacher-port"     ? &options.teacherPort
                                                       : nullptr;
        if (port) {
            if (!ParsePort(value, *port)) {
                error = arg + ": not a port: " + value;
                return CommandLineOutcome::kError;
            }
        } else if (arg == "--listen") {
            options.listenHost = value;
        } else if (arg == "--advertise") {
            options.advertiseHost = value;
        } else if (arg == "--teacher-id") {
            if (value.empty()) return error = "--teacher-id needs an ID", CommandLineOutcome::kError;
            teacherIds.push_back(value);
        } else if (arg == "--codepage") {
            if (!ApplyScenarioSetting(options.scenario, "lookup.codepage", value, error)) {
                return CommandLineOutcome::kError;
            }
        } else if (arg == "--scenario") {
            if (!LoadScenarioFile(options.scenario, value, error)) return CommandLineOutcome::kError;
        } else if (arg == "--set") {
            const size_t equals = value.find('=');
            if (equals == std::string::npos)
                return error = "--set wants KEY=VALUE", CommandLineOutcome::kError;
            if (!ApplyScenarioSetting(options.scenario, value.substr(0, equals), value.substr(equals + 1),
                                      error)) {
                return CommandLineOutcome::kError;
            }
        } else if (arg == "--events") {
            options.eventsPath = value;
        } else if (arg == "--out") {
            options.outDir = value;
        } else if (arg == "--exit-after") {
            char* end = nullptr;
            options.exitAfterSeconds = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !(options.exitAfterSeconds > 0)) {
                error = "--exit-after wants a number of seconds above 0";
                return CommandLineOutcome::kError;
            }
        } else {
            error = "unknown option: " + arg + " (see --help)";
            return CommandLineOutcome::kError;
        }
    }
    if (!teacherIds.empty()) options.scenario.teacherIds = teacherIds;
    if (!IsCodePageAvailable(options.scenario.lookup.codePage)) {
        error =
            "code page " + std::to_string(options.scenario.lookup.codePage) + " is not known on this machine";
        return CommandLineOutcome::kError;
    }
    return CommandLineOutcome::kRun;
}

std::string CommandLineHelp() {
    return R"(Usage: tesmora-classroom [options]

The simulated classroom: plays every peer of the Tesmora Orlu remote on this machine, so that the
remote can be tried without a classroom. Started without options it serves the teacher ID
"demo-teacher" on loopback:

  relay lookup   https://127.0.0.1:18443/tesmora/rsinfo/checkRsInfo.jsp  (also plain HTTP there)
                 http://127.0.0.1:18080/tesmora/rsinfo/checkRsInfo.jsp
  login server   127.0.0.1:18500   (the relay the lookup names)
  teacher        127.0.0.1:18600   (where the login server sends the remote)

Point the remote at it: in its config.ini, section [default], set webserver=127.0.0.1:18443
(host and port, no scheme), start the remote and log in as demo-teacher. The certificate is made
afresh at every start and signed by nobody, so the remote's first HTTPS attempt meets an untrusted
certificate and its retry goes through. Plain http:// to the same port is answered as well, so the
remote's fallback from https:// to http:// reaches the classroom too.

Options:
  --listen HOST            address to listen on (default 127.0.0.1; 0.0.0.0 opens it to the network)
  --advertise HOST         address given to the remote in the lookup reply and in [UR00002]
                           (default: the listen address, or 127.0.0.1 when listening on all)
  --lookup-port PORT       relay lookup, HTTPS and plain HTTP on one port (default 18443)
  --lookup-http-port PORT  relay lookup, plain HTTP only (default 18080)
  --login-port PORT        login server (default 18500)
  --teacher-port PORT      teacher program (default 18600)
                           (a port of 0 takes any free port; the log says which)
  --teacher-id ID          a teacher ID the classroom knows; repeat for more (default demo-teacher)
  --codepage CP            the remote's ANSI code page: 1252 (default) or 949 for a Korean Windows;
                           val2 is checked over the ID in it, and the lookup reply is written in it
  --scenario FILE          scenario file (see below)
  --set KEY=VALUE          one scenario setting; applied in order, after an earlier --scenario
  --events FILE            write every event as a JSON line to FILE
  --out DIR                save what the remote sent: screen-N.png (the uploaded screen, at the end
                           of an upload and of the connection) and sound-N-M.wav (8000 Hz, mono,
                           16-bit); without --out nothing is saved
  --quiet                  no conversation log on the standard output
  --exit-after SECONDS     stop after that long (otherwise at SIGINT or SIGTERM)
  --help                   this text

Signals: SIGUSR1 saves the uploaded screens now (needs --out); SIGUSR2 sends [RC00007] (open the
on-screen keyboard) to every remote in remote control.

Scenario file: lines "key = value" (UTF-8), "#" or ";" starts a comment; keys may be grouped under
[lookup], [login] or [teacher] and then written without that prefix. Keys:
)" + ScenarioKeysHelp() +
           R"(
Event log: one JSON object per line with "t" (seconds since the start), "peer" (lookup, login,
teacher, classroom), "conn" (connection number, 0 for none), "event" and the event's own fields;
docs/classroom.md lists them.
)";
}

}  // namespace tesmora::classroom
