// Scenario settings: one table of keys serves the parser and the help text. Main thread only
// (before the services start).
#include "core/scenario.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <functional>
#include <sstream>
#include <utility>

namespace tesmora::classroom {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool ParseInt(std::string_view text, int64_t low, int64_t high, int64_t& out) {
    text = Trim(text);
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) return false;
    out = value;
    return true;
}

bool ParseSeconds(std::string_view text, double& out) {
    const std::string copy(Trim(text));
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || *end != '\0' || !(value >= 0) || value > 86400) return false;
    out = value;
    return true;
}

bool ParseBool(std::string_view text, bool& out) {
    text = Trim(text);
    if (text == "on" || text == "true" || text == "yes" || text == "1") return out = true, true;
    if (text == "off" || text == "false" || text == "no" || text == "0") return out = false, true;
    return false;
}

template <typename E>
using Choices = std::vector<std::pair<std::string_view, E>>;

template <typename E>
bool ParseChoice(std::string_view text, const Choices<E>& choices, E& out) {
    text = Trim(text);
    for (const auto& [name, value] : choices) {
        if (name == text) return out = value, true;
    }
    return false;
}

// "1920x1080" or "1920x1080+1920+0"; monitors without a position stand side by side from the left.
bool ParseMonitors(std::string_view text, std::vector<TeacherMonitor>& out) {
    std::vector<TeacherMonitor> monitors;
    int32_t nextX = 0;
    std::stringstream list{std::string(text)};
    std::string item;
    while (std::getline(list, item, ',')) {
        const std::string_view geometry = Trim(item);
        TeacherMonitor m;
        int64_t w = 0, h = 0, x = nextX, y = 0;
        const size_t cross = geometry.find('x');
        if (cross == geometry.npos) return false;
        const size_t plus = geometry.find_first_of("+", cross);
        if (!ParseInt(geometry.substr(0, cross), 1, 8192, w)) return false;
        if (!ParseInt(geometry.substr(cross + 1, plus == geometry.npos ? geometry.npos : plus - cross - 1), 1,
                      8192, h)) {
            return false;
        }
        if (plus != geometry.npos) {
            const size_t plus2 = geometry.find('+', plus + 1);
            if (plus2 == geometry.npos ||
                !ParseInt(geometry.substr(plus + 1, plus2 - plus - 1), 0, 16384, x) ||
                !ParseInt(geometry.substr(plus2 + 1), 0, 16384, y)) {
                return false;
            }
        }
        m = {int32_t(x), int32_t(y), int32_t(w), int32_t(h)};
        nextX = std::max<int32_t>(nextX, m.x + m.width);
        monitors.push_back(m);
    }
    if (monitors.empty() || monitors.size() > 16) return false;
    out = std::move(monitors);
    return true;
}

std::vector<std::string> SplitList(std::string_view text) {
    std::vector<std::string> items;
    std::stringstream list{std::string(text)};
    std::string item;
    while (std::getline(list, item, ',')) {
        const auto trimmed = Trim(item);
        if (!trimmed.empty()) items.emplace_back(trimmed);
    }
    return items;
}

struct Setting {
    std::string_view key;
    std::string_view values;
    std::string_view meaning;
    std::function<bool(Scenario&, std::string_view)> apply;
};

const std::vector<Setting>& Settings() {
    static const std::vector<Setting> settings = {
        {"teacher-ids", "ID[,ID...]", "the teacher IDs the classroom knows (default demo-teacher)",
         [](Scenario& s, std::string_view v) {
             s.teacherIds = SplitList(v);
             return !s.teacherIds.empty();
         }},
        {"lookup.reply",
         "ok|denied|bad-id|bad-unique-code|fail|no-keys|redirect|not-found|busy|hang|garbage|cut|cut-chunked|"
         "trickle",
         "how the relay lookup answers: the relay (ok, after checking val2 and the ID);\n"
         "result:false with code 1 and \"잘못된 접근입니다.\" (denied),\n"
         "code 2 and \"유효하지않은  선생님 ID 입니다.\" (bad-id),\n"
         "code 3 and \"유효하지않은 고유코드 입니다.\" (bad-unique-code),\n"
         "or lookup.code and lookup.message (fail); a 200 page without keys (no-keys),\n"
         "302 (redirect), 404 (not-found), 503 (busy), no answer at all (hang), a 200 whose body is\n"
         "64 KiB of random bytes (garbage), or the relay's lines broken off inside the address: their\n"
         "whole length announced (cut) or sent in chunks (cut-chunked); or trickled a byte a second "
         "(trickle)",
         [](Scenario& s, std::string_view v) {
             return ParseChoice<LookupReply>(v,
                                             {{"ok", LookupReply::kOk},
                                              {"denied", LookupReply::kDenied},
                                              {"bad-id", LookupReply::kBadId},
                                              {"bad-unique-code", LookupReply::kBadUniqueCode},
                                              {"fail", LookupReply::kFail},
                                              {"no-keys", LookupReply::kNoKeys},
                                              {"redirect", LookupReply::kRedirect},
                                              {"not-found", LookupReply::kNotFound},
                                              {"busy", LookupReply::kBusy},
                                              {"hang", LookupReply::kHang},
                                              {"garbage", LookupReply::kGarbage},
                                              {"cut", LookupReply::kCut},
                                              {"cut-chunked", LookupReply::kCutChunked},
                                              {"trickle", LookupReply::kTrickle}},
                                             s.lookup.reply);
         }},
        {"lookup.code", "TEXT", "the code of lookup.reply = fail (default 500)",
         [](Scenario& s, std::string_view v) { return s.lookup.code = Trim(v), true; }},
        {"lookup.message", "TEXT", "the message of lookup.reply = fail",
         [](Scenario& s, std::string_view v) { return s.lookup.message = Trim(v), true; }},
        {"lookup.style", "plain|crlf-quoted", "reply lines end in LF (plain) or CR LF with quoted values",
         [](Scenario& s, std::string_view v) {
             return ParseChoice<bool>(v, {{"plain", false}, {"crlf-quoted", true}}, s.lookup.crlfQuoted);
         }},
        {"lookup.https", "on|off", "answer TLS connections (off: they are closed at once)",
         [](Scenario& s, std::string_view v) { return ParseBool(v, s.lookup.https); }},
        {"lookup.http", "on|off", "answer plain HTTP (off: the HTTP port is not opened)",
         [](Scenario& s, std::string_view v) { return ParseBool(v, s.lookup.http); }},
        {"lookup.check", "on|off", "check val2 against val1 and val3 (default on)",
         [](Scenario& s, std::string_view v) { return ParseBool(v, s.lookup.checkVal2); }},
        {"lookup.hang-seconds", "SECONDS", "how long lookup.reply = hang holds a request (default 60)",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 1, 3600, n) && (s.lookup.hangSeconds = int(n), true);
         }},
        {"lookup.codepage", "1252|949|...", "the remote's ANSI code page (default 1252)",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 1, 65535, n) && (s.lookup.codePage = int(n), true);
         }},
        {"update.folder", "PATH",
         "the release the update service offers: PATH/filelist.txt and PATH/files/<type>",
         [](Scenario& s, std::string_view v) { return s.update.folder = Trim(v), true; }},
        {"update.unreachable", "N|always",
         "the first N update requests fail with 503 (the updater tries https, then http: two a check)",
         [](Scenario& s, std::string_view v) {
             if (Trim(v) == "always") return s.update.unreachableRequests = -1, true;
             int64_t n = 0;
             return ParseInt(v, 0, 100000, n) && (s.update.unreachableRequests = int(n), true);
         }},
        {"update.busy", "N", "the first N downloads answer busy (a body of at most 100 bytes)",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 0, 1000, n) && (s.update.busyDownloads = int(n), true);
         }},
        {"update.cut", "N", "the next N downloads announce the whole file, send half and close",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 0, 1000, n) && (s.update.cutDownloads = int(n), true);
         }},
        {"update.stall", "N",
         "the N downloads after the cut ones announce the whole file, send half, then send nothing more\n"
         "and hold the connection for lookup.hang-seconds",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 0, 1000, n) && (s.update.stalledDownloads = int(n), true);
         }},
        {"update.broken", "N",
         "the N downloads after the stalled ones announce no length, send half and reset the connection",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 0, 1000, n) && (s.update.brokenDownloads = int(n), true);
         }},
        {"update.cut-list", "N", "the first N file lists announce their whole length, send half and close",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 0, 1000, n) && (s.update.cutLists = int(n), true);
         }},
        {"login.greeting", "ok|refuse|malformed|silent|close",
         "the login server's [UR00001]: \"0,OK\", a refusal (login.refuse-code, login.refuse-message),\n"
         "three fields, nothing at all, or the socket closed at once",
         [](Scenario& s, std::string_view v) {
             return ParseChoice<LoginGreeting>(v,
                                               {{"ok", LoginGreeting::kOk},
                                                {"refuse", LoginGreeting::kRefuse},
                                                {"malformed", LoginGreeting::kMalformed},
                                                {"silent", LoginGreeting::kSilent},
                                                {"close", LoginGreeting::kClose}},
                                               s.login.greeting);
         }},
        {"login.refusals", "N", "with login.greeting = refuse: refuse only the first N connections (0: all)",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 0, 1000000, n) && (s.login.refusals = int(n), true);
         }},
        {"login.refuse-code", "TEXT", "the result code of a refusal (default 1)",
         [](Scenario& s, std::string_view v) { return s.login.refuseCode = Trim(v), true; }},
        {"login.refuse-message", "TEXT", "the message of a refusal",
         [](Scenario& s, std::string_view v) { return s.login.refuseMessage = Trim(v), true; }},
        {"login.address", "ok|malformed|silent|close",
         "the answer to [US00001]: [UR00002] with seven fields, with eight, nothing, or the socket closed",
         [](Scenario& s, std::string_view v) {
             return ParseChoice<LoginAddress>(v,
                                              {{"ok", LoginAddress::kOk},
                                               {"malformed", LoginAddress::kMalformed},
                                               {"silent", LoginAddress::kSilent},
                                               {"close", LoginAddress::kClose}},
                                              s.login.address);
         }},
        {"teacher.version", "TEXT|none",
         "the version in [DV00094] (default 2.0.1.1028, a new teacher; 2.0.1.1027 is old; none: not sent)",
         [](Scenario& s, std::string_view v) {
             s.teacher.version = Trim(v) == "none" ? "" : std::string(Trim(v));
             return true;
         }},
        {"teacher.greeting", "accept|refuse|refuse-close|refuse-malformed|silent|close",
         "[DV00007], [DV10000] with teacher.refuse-code and teacher.refuse-message (refuse-close: and the\n"
         "socket closed right behind it), [DV10000] with three fields, nothing at all, or the socket\n"
         "closed at once",
         [](Scenario& s, std::string_view v) {
             return ParseChoice<TeacherGreeting>(v,
                                                 {{"accept", TeacherGreeting::kAccept},
                                                  {"refuse", TeacherGreeting::kRefuse},
                                                  {"refuse-close", TeacherGreeting::kRefuseClose},
                                                  {"refuse-malformed", TeacherGreeting::kRefuseMalformed},
                                                  {"silent", TeacherGreeting::kSilent},
                                                  {"close", TeacherGreeting::kClose}},
                                                 s.teacher.greeting);
         }},
        {"teacher.refuse-code", "TEXT", "the code of [DV10000] (default 1)",
         [](Scenario& s, std::string_view v) { return s.teacher.refuseCode = Trim(v), true; }},
        {"teacher.refuse-message", "TEXT", "the message of [DV10000]",
         [](Scenario& s, std::string_view v) { return s.teacher.refuseMessage = Trim(v), true; }},
        {"teacher.disconnect-after", "SECONDS", "send [DV10001] that long after accepting (0: never)",
         [](Scenario& s, std::string_view v) { return ParseSeconds(v, s.teacher.disconnectAfter); }},
        {"teacher.close-after", "SECONDS", "close the socket that long after accepting (0: never)",
         [](Scenario& s, std::string_view v) { return ParseSeconds(v, s.teacher.closeAfter); }},
        {"teacher.readdress-after", "SECONDS",
         "on the first teacher connection, send [UR00002] with the teacher's address again that long\n"
         "after accepting, as a login server does when the teacher moves (0: never)",
         [](Scenario& s, std::string_view v) { return ParseSeconds(v, s.teacher.readdressAfter); }},
        {"teacher.silent-after", "N", "answer N keep-alives with [RH10002], then fall silent (-1: never)",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, -1, 1000000, n) && (s.teacher.silentAfter = int(n), true);
         }},
        {"teacher.malformed", "LIST",
         "messages sent with wrong fields: rh00001 (one number), rh00002 (not a number), rh00003 and\n"
         "rh00004 (empty), rh00005 (a count that does not match the groups)",
         [](Scenario& s, std::string_view v) {
             s.teacher.malformed.clear();
             for (const auto& item : SplitList(v)) {
                 if (item != "rh00001" && item != "rh00002" && item != "rh00003" && item != "rh00004" &&
                     item != "rh00005") {
                     return false;
                 }
                 s.teacher.malformed.insert(item);
             }
             return true;
         }},
        {"teacher.switches", "on|off",
         "answer [RC00012]/[RC00013] with [RH00004]/[RH00003] (default: on for a version after\n"
         "2.0.1.1027, off for older ones, which never answer)",
         [](Scenario& s, std::string_view v) {
             bool answer = false;
             return ParseBool(v, answer) && (s.teacher.answerSwitches = answer, true);
         }},
        {"teacher.monitors", "WxH[+X+Y],...", "the teacher PC's monitors (default 1920x1080)",
         [](Scenario& s, std::string_view v) {
             return ParseMonitors(v, s.teacher.monitors) && (s.teacher.monitorsGiven = true);
         }},
        {"teacher.monitor-count", "TEXT", "the count written in [RH00005] instead of the real one (a lie)",
         [](Scenario& s, std::string_view v) { return s.teacher.monitorCount = Trim(v), true; }},
        {"teacher.desktop", "synthetic|FILE",
         "what remote control shows: a moving synthetic desktop, or a JPEG or binary PPM picture",
         [](Scenario& s, std::string_view v) {
             return s.teacher.desktop = Trim(v), !s.teacher.desktop.empty();
         }},
        {"teacher.frame-interval", "MS", "time between desktop frames (default 100)",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 10, 10000, n) && (s.teacher.frameIntervalMs = int(n), true);
         }},
        {"teacher.frames-ahead", "N", "frames sent before an [RC00006] must come (default 4)",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 1, 1000, n) && (s.teacher.framesAhead = int(n), true);
         }},
        {"teacher.jpeg-quality", "0-100", "JPEG quality of desktop frames (default 70)",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 0, 100, n) && (s.teacher.jpegQuality = int(n), true);
         }},
        {"teacher.frame-lie", "none|part-number|part-count|jpeg-length|size-field|bad-jpeg|many-parts",
         "one desktop frame lies: a part number outside the grid, a part count or JPEG length that runs\n"
         "past the frame, a size field that differs from the data length, JPEG bytes that do not decode,\n"
         "or a part list that names its parts over and over (2,000,000 entries)",
         [](Scenario& s, std::string_view v) {
             return ParseChoice<FrameLie>(v,
                                          {{"none", FrameLie::kNone},
                                           {"part-number", FrameLie::kPartNumber},
                                           {"part-count", FrameLie::kPartCount},
                                           {"jpeg-length", FrameLie::kJpegLength},
                                           {"size-field", FrameLie::kSizeField},
                                           {"bad-jpeg", FrameLie::kBadJpeg},
                                           {"many-parts", FrameLie::kManyParts}},
                                          s.teacher.frameLie);
         }},
        {"teacher.lie-frame", "N", "the number of the frame that lies (default 1)",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 0, 1000000, n) && (s.teacher.lieFrame = int(n), true);
         }},
        {"teacher.keyboard", "on|off",
         "send [RC00007] (open the on-screen keyboard) when remote control starts",
         [](Scenario& s, std::string_view v) { return ParseBool(v, s.teacher.keyboardOnStart); }},
        {"teacher.ack-pause-from", "N",
         "once per connection, stop acknowledging uploaded screen frames ([RH00002]) from the first\n"
         "frame numbered N or higher, for teacher.ack-pause-seconds; then send one [RH00002] with the\n"
         "highest frame number placed and acknowledge every frame again (-1: never, the default)",
         [](Scenario& s, std::string_view v) { return ParseInt(v, -1, 0xFFFFFFFF, s.teacher.ackPauseFrom); }},
        {"teacher.ack-pause-seconds", "SECONDS",
         "how long teacher.ack-pause-from withholds acknowledgements, from the first withheld frame\n"
         "(default 3)",
         [](Scenario& s, std::string_view v) { return ParseSeconds(v, s.teacher.ackPauseSeconds); }},
        {"teacher.trickle-after", "SECONDS",
         "that long after the connection is made, everything the teacher sends from then on trickles\n"
         "out one byte a second (default: never)",
         [](Scenario& s, std::string_view v) { return ParseSeconds(v, s.teacher.trickleAfter); }},
        {"teacher.cut-frame", "N",
         "remote control: desktop frame N goes out only halfway, then the connection is dropped (-1: never)",
         [](Scenario& s, std::string_view v) { return ParseInt(v, -1, 1000000, s.teacher.cutFrame); }},
        {"teacher.drop-mid-upload", "on|off",
         "drop the connection while an uploaded screen frame is only partly received",
         [](Scenario& s, std::string_view v) { return ParseBool(v, s.teacher.dropMidUpload); }},
        {"teacher.junk-frames", "N",
         "after answering the remote's version and again when remote control starts, send N frames\n"
         "whose marks and lengths are sound but whose packets are unusable (unknown types, fields past\n"
         "the frame, unknown tags, screen sizes that are no size)",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 0, 1000000, n) && (s.teacher.junkFrames = int(n), true);
         }},
        {"teacher.size-on-remote-control", "on|off",
         "tell the screen size ([RH00001]) again when remote control starts and when the pad's screen\n"
         "changes (on, the default); off: only once, in answer to the remote's version, as some\n"
         "teacher programs do",
         [](Scenario& s, std::string_view v) { return ParseBool(v, s.teacher.sizeOnRemoteControl); }},
        {"teacher.flood", "MB",
         "remote control: right after the monitor list, send that many megabytes of 64 KiB frames of\n"
         "an unknown packet type at once, not held back by acknowledgements (0: none, the default)",
         [](Scenario& s, std::string_view v) {
             int64_t n = 0;
             return ParseInt(v, 0, 4096, n) && (s.teacher.floodMegabytes = int(n), true);
         }},
        {"teacher.ack-pause-every", "SECONDS",
         "pause the acknowledgements again that long after each pause ended, as a teacher PC that\n"
         "stalls now and then does (0: one pause only, the default)",
         [](Scenario& s, std::string_view v) { return ParseSeconds(v, s.teacher.ackPauseEvery); }},
    };
    return settings;
}

}  // namespace

bool Scenario::KnowsTeacher(std::string_view id) const {
    return std::find(teacherIds.begin(), teacherIds.end(), id) != teacherIds.end();
}

bool ApplyScenarioSetting(Scenario& scenario, std::string_view key, std::string_view value,
                          std::string& error) {
    key = Trim(key);
    for (const auto& setting : Settings()) {
        if (setting.key != key) continue;
        if (setting.apply(scenario, value)) return true;
        error = "bad value for " + std::string(key) + ": \"" + std::string(Trim(value)) + "\" (expected " +
                std::string(setting.values) + ")";
        return false;
    }
    error = "unknown scenario key: " + std::string(key);
    return false;
}

bool LoadScenarioText(Scenario& scenario, std::string_view text, std::string& error) {
    std::string section;
    int lineNumber = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == text.npos ? text.size() : end + 1);
        ++lineNumber;
        if (lineNumber == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = std::string(Trim(line.substr(1, line.size() - 2)));
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == line.npos) {
            error = "line " + std::to_string(lineNumber) + ": expected key = value";
            return false;
        }
        std::string key(Trim(line.substr(0, equals)));
        if (!section.empty() && key.find('.') == key.npos && key != "teacher-ids") key = section + "." + key;
        if (!ApplyScenarioSetting(scenario, key, line.substr(equals + 1), error)) {
            error = "line " + std::to_string(lineNumber) + ": " + error;
            return false;
        }
    }
    return true;
}

bool LoadScenarioFile(Scenario& scenario, const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read the scenario file " + path;
        return false;
    }
    std::stringstream content;
    content << file.rdbuf();
    if (!LoadScenarioText(scenario, content.str(), error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::string ScenarioKeysHelp() {
    std::string help;
    for (const auto& setting : Settings()) {
        help += "  " + std::string(setting.key) + " = " + std::string(setting.values) + "\n";
        std::string_view meaning = setting.meaning;
        while (!meaning.empty()) {
            const size_t end = meaning.find('\n');
            help += "      " + std::string(meaning.substr(0, end)) + "\n";
            meaning.remove_prefix(end == meaning.npos ? meaning.size() : end + 1);
        }
    }
    return help;
}

}  // namespace tesmora::classroom
