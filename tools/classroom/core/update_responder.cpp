// The update web service's answers (see update_responder.h). Any httplib worker thread.
#include "core/update_responder.h"

#include <fstream>
#include <iterator>

namespace tesmora::classroom {

namespace {

constexpr std::string_view kReleaseVersion = "2.0LoginOrlu";

bool ReadWhole(const std::string& path, std::string& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// A type key names a file of the release folder: letters, digits, "_" and "-" only.
bool IsPlainKey(std::string_view key) {
    if (key.empty()) return false;
    for (char c : key) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '_' || c == '-';
        if (!ok) return false;
    }
    return true;
}

}  // namespace

std::string QueryValue(std::string_view query, std::string_view key) {
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string_view::npos) end = query.size();
        const std::string_view pair = query.substr(start, end - start);
        const size_t equals = pair.find('=');
        if (equals != std::string_view::npos && pair.substr(0, equals) == key) {
            return std::string(pair.substr(equals + 1));
        }
        start = end + 1;
    }
    return {};
}

UpdateResponder::UpdateResponder(const UpdateBehaviour& behaviour, std::string serverHost,
                                 uint16_t serverPort)
    : behaviour_(behaviour), serverHost_(std::move(serverHost)), serverPort_(serverPort) {}

bool UpdateResponder::Unreachable() {
    if (behaviour_.unreachableRequests < 0) return true;
    std::lock_guard guard(lock_);
    return ++requests_ <= behaviour_.unreachableRequests;
}

UpdateAnswer UpdateResponder::Answer(std::string_view path, std::string_view query, Event& event) {
    event.Str("query", query);
    UpdateAnswer answer;
    if (Unreachable()) {
        event.Str("answer", "unreachable");
        answer.status = 503;
        return answer;
    }
    if (path == kUpdateServerCheckPath) {
        event.Str("answer", "server");
        answer.body = "server:" + serverHost_ + "\nport:" + std::to_string(serverPort_) + "\n";
        return answer;
    }
    if (path == kUpdateFileListPath) {
        const std::string release = QueryValue(query, "releaseversion");
        event.Str("release", release);
        if (release != kReleaseVersion || behaviour_.folder.empty() ||
            !ReadWhole(behaviour_.folder + "/filelist.txt", answer.body)) {
            event.Str("answer", "no list");
            answer.body.clear();
            return answer;
        }
        int number = 0;
        {
            std::lock_guard guard(lock_);
            number = ++lists_;
        }
        answer.announcedBytes = answer.body.size();
        if (number <= behaviour_.cutLists) {
            answer.cutShort = true;
            answer.body.resize(answer.body.size() / 2);
            event.Str("answer", "cut list").Int("sent", int64_t(answer.body.size()));
            return answer;
        }
        event.Str("answer", "list").Int("bytes", int64_t(answer.body.size()));
        return answer;
    }
    return Download(query, event);
}

UpdateAnswer UpdateResponder::Download(std::string_view query, Event& event) {
    const std::string type = QueryValue(query, "type");
    event.Str("type", type);
    int number = 0;
    {
        std::lock_guard guard(lock_);
        number = ++downloads_;
    }
    event.Int("download", number);
    UpdateAnswer answer;
    if (number <= behaviour_.busyDownloads) {
        event.Str("answer", "busy");
        answer.body = "result:false\ncode:503\nmessage:busy";
        return answer;
    }
    if (!IsPlainKey(type) || behaviour_.folder.empty() ||
        !ReadWhole(behaviour_.folder + "/files/" + type, answer.body)) {
        event.Str("answer", "missing");
        answer.status = 404;
        answer.body.clear();
        return answer;
    }
    answer.fileName = type;
    answer.announcedBytes = answer.body.size();
    if (number <= behaviour_.busyDownloads + behaviour_.cutDownloads) {
        answer.cutShort = true;
        answer.body.resize(answer.body.size() / 2);
        event.Str("answer", "cut").Int("sent", int64_t(answer.body.size()));
    } else if (number <= behaviour_.busyDownloads + behaviour_.cutDownloads + behaviour_.stalledDownloads) {
        answer.cutShort = answer.stall = true;
        answer.body.resize(answer.body.size() / 2);
        event.Str("answer", "stalled").Int("sent", int64_t(answer.body.size()));
    } else if (number <= behaviour_.busyDownloads + behaviour_.cutDownloads + behaviour_.stalledDownloads +
                             behaviour_.brokenDownloads) {
        answer.cutShort = true;
        answer.announced = false;
        answer.body.resize(answer.body.size() / 2);
        event.Str("answer", "broken").Int("sent", int64_t(answer.body.size()));
    } else {
        event.Str("answer", "file");
    }
    event.Int("bytes", int64_t(answer.announcedBytes));
    return answer;
}

}  // namespace tesmora::classroom
