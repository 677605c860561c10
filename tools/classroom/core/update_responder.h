// The update web service's answers: the server check, the release's file list read from a folder, and
// downloads of the files in it, with the scenario's faults (unreachable for a while, busy answers,
// downloads cut short). Handlers on httplib's worker threads call it; the counters are behind a lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "core/event_log.h"
#include "core/scenario.h"

namespace tesmora::classroom {

inline constexpr const char* kUpdateServerCheckPath = "/tesmora/update/GetUpdateServerInfo.jsp";
inline constexpr const char* kUpdateFileListPath = "/tesmora/update/GetUpdateFileInfo.jsp";
inline constexpr const char* kUpdateDownloadPath = "/tesmora/update/DownloadFileOrlu.jsp";

struct UpdateAnswer {
    int status = 200;
    std::string body;             // what is sent
    uint64_t announcedBytes = 0;  // the Content-Length; more than body.size() when the download is cut short
    bool cutShort = false;        // close the connection after the body
    bool stall = false;           // cut short: hold the connection without sending instead of closing
    bool announced = true;        // cut short: false sends no length and resets the connection
    std::string fileName;         // the Content-Disposition file name
};

class UpdateResponder {
public:
    UpdateResponder(const UpdateBehaviour& behaviour, std::string serverHost, uint16_t serverPort);

    // `path` is one of the three endpoints; `query` the request's query text. Fills `event` with what
    // the answer was.
    UpdateAnswer Answer(std::string_view path, std::string_view query, Event& event);

private:
    bool Unreachable();
    UpdateAnswer Download(std::string_view query, Event& event);

    const UpdateBehaviour& behaviour_;
    std::string serverHost_;
    uint16_t serverPort_;
    std::mutex lock_;
    int requests_ = 0;   // update requests so far
    int downloads_ = 0;  // download requests so far
    int lists_ = 0;      // file-list requests so far
};

// The value of `key` in a query "a=1&b=2" (no decoding: the updater's values are plain).
std::string QueryValue(std::string_view query, std::string_view key);

}  // namespace tesmora::classroom
