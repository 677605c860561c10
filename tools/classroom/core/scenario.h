// The classroom's behaviour: which teacher IDs it knows and how each peer (relay lookup, login
// server, teacher program) answers. Filled from defaults, a scenario file and --set options before
// the services start; read-only afterwards, so every thread may read it.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tesmora::classroom {

enum class LookupReply {
    kOk,
    kDenied,
    kBadId,
    kBadUniqueCode,
    kFail,
    kNoKeys,
    kRedirect,
    kNotFound,
    kBusy,
    kHang,
    kGarbage,
    kCut,         // the relay's lines announced whole, cut inside the address, the connection closed
    kCutChunked,  // the same in chunks, closed before the last chunk
    kTrickle,     // the relay's lines, one byte a second
};

struct LookupBehaviour {
    LookupReply reply = LookupReply::kOk;
    std::string code = "500";                               // reply = fail
    std::string message = "The service is not available.";  // reply = fail
    bool crlfQuoted = false;  // lines end in CR LF and values stand in double quotes
    bool https = true;
    bool http = true;
    bool checkVal2 = true;
    int hangSeconds = 60;
    int codePage = 1252;  // the remote's ANSI code page: val2 hashing and the reply's text
};

enum class LoginGreeting { kOk, kRefuse, kMalformed, kSilent, kClose };
enum class LoginAddress { kOk, kMalformed, kSilent, kClose };

struct LoginBehaviour {
    LoginGreeting greeting = LoginGreeting::kOk;
    int refusals = 0;  // greeting = refuse: only the first N connections are refused; 0 = all
    std::string refuseCode = "1";
    std::string refuseMessage = "일치하는 선생님 정보를 찾을 수 없습니다.";
    LoginAddress address = LoginAddress::kOk;
};

enum class TeacherGreeting { kAccept, kRefuse, kRefuseClose, kRefuseMalformed, kSilent, kClose };
enum class FrameLie { kNone, kPartNumber, kPartCount, kJpegLength, kSizeField, kBadJpeg, kManyParts };

// A frame that lies with many-parts names its parts over and over, this many entries in all (8 MB of
// part list): far more than any grid has, each entry a part the grid does have.
inline constexpr uint32_t kManyPartsEntries = 2'000'000;

struct TeacherMonitor {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct TeacherBehaviour {
    std::string version = "2.0.1.1028";  // empty: no [DV00094] at all
    TeacherGreeting greeting = TeacherGreeting::kAccept;
    std::string refuseCode = "1";
    std::string refuseMessage = "선생님 프로그램이 연결을 거부했습니다.";
    double disconnectAfter = 0;       // seconds after acceptance until [DV10001]; 0: never
    double closeAfter = 0;            // seconds after acceptance until the socket is closed; 0: never
    double readdressAfter = 0;        // seconds after the first acceptance until a second [UR00002]; 0: never
    int silentAfter = -1;             // keep-alives answered before falling silent; -1: never
    std::set<std::string> malformed;  // messages sent with wrong field counts: rh00001 ... rh00005
    // Answer [RC00012]/[RC00013] with [RH00004]/[RH00003]; unset: as the version does (teachers up
    // to 2.0.1.1027 never answer).
    std::optional<bool> answerSwitches;
    std::vector<TeacherMonitor> monitors{{0, 0, 1920, 1080}};
    bool monitorsGiven = false;         // false: a picture desktop takes the picture's size
    std::string monitorCount;           // written as the count of [RH00005] instead of the real one
    std::string desktop = "synthetic";  // or a .jpg/.jpeg/.ppm file
    int frameIntervalMs = 100;
    int framesAhead = 4;
    int jpegQuality = 70;
    FrameLie frameLie = FrameLie::kNone;
    int lieFrame = 1;                 // the number of the frame that lies
    bool keyboardOnStart = false;     // send [RC00007] when remote control starts
    int64_t ackPauseFrom = -1;        // upload frames from this number on: [RH00002] withheld; -1: never
    double ackPauseSeconds = 3;       // how long, from the first withheld frame, acknowledgements stop
    double ackPauseEvery = 0;         // seconds from one pause's end to the next; 0: one pause only
    double trickleAfter = -1;         // seconds after connecting until every byte trickles, one a second
    int64_t cutFrame = -1;            // the remote-control frame sent halfway before the drop; -1: none
    bool dropMidUpload = false;       // drop the connection while an uploaded frame is half received
    int junkFrames = 0;               // frames with unusable packets sent after the remote's version
    bool sizeOnRemoteControl = true;  // [RH00001] again when remote control starts and on [RC00010]
    int floodMegabytes = 0;           // remote control: that much sent at once when it starts
};

// The update web service, on the lookup's ports.
struct UpdateBehaviour {
    std::string folder;  // filelist.txt ("file:" lines) and files/<type key>; empty: no release
    int unreachableRequests =
        0;                  // the first N update requests fail with 503 (https and http count each); -1: all
    int busyDownloads = 0;  // the first N downloads get a busy answer (a body of at most 100 bytes)
    int cutDownloads = 0;   // the next N downloads announce the whole file and send half of it
    int stalledDownloads = 0;  // the next N send half, then nothing, holding the connection open
    int brokenDownloads = 0;   // the next N announce no length, send half and reset the connection
    int cutLists = 0;          // the first N file lists announce their length, send half and close
};

struct Scenario {
    std::vector<std::string> teacherIds{"demo-teacher"};
    LookupBehaviour lookup;
    UpdateBehaviour update;
    LoginBehaviour login;
    TeacherBehaviour teacher;

    bool KnowsTeacher(std::string_view id) const;
};

// key = value, the key written "section.name" (or "name" inside a [section]). False with a
// message for an unknown key or a value out of range.
bool ApplyScenarioSetting(Scenario& scenario, std::string_view key, std::string_view value,
                          std::string& error);
// Lines of "key = value", optional [lookup]/[login]/[teacher]/[update] sections, "#" or ";" comments.
bool LoadScenarioText(Scenario& scenario, std::string_view text, std::string& error);
bool LoadScenarioFile(Scenario& scenario, const std::string& path, std::string& error);

// Every key with its values and meaning, for --help.
std::string ScenarioKeysHelp();

}  // namespace tesmora::classroom
