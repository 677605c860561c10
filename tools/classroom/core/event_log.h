// What the classroom tells about the conversation: a readable line per event on the console, one
// JSON object per line in the event file, and (for tests) the events kept in memory to wait on.
// Every service thread writes to the one log; Write takes the log's lock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tesmora::classroom {

// One event under construction: who (peer and connection number), what (kind) and its fields.
class Event {
public:
    Event(std::string_view peer, uint64_t connection, std::string_view kind);

    Event& Str(std::string_view key, std::string_view value);
    Event& Text(std::string_view key, std::u16string_view value);
    Event& Int(std::string_view key, int64_t value);
    Event& Bool(std::string_view key, bool value);
    Event& Json(std::string_view key, std::string json);  // a value that is already JSON
    Event& Say(std::string readable);                     // the console line; made up when not set

    struct Field {
        std::string key;
        std::string json;   // the value as written to the event file
        std::string plain;  // the value as text (strings unquoted), for tests and the console
    };
    const std::string& Peer() const { return peer_; }
    uint64_t Connection() const { return connection_; }
    const std::string& Kind() const { return kind_; }
    const std::vector<Field>& Fields() const { return fields_; }
    const std::string& Readable() const { return readable_; }

private:
    std::string peer_;
    uint64_t connection_;
    std::string kind_;
    std::vector<Field> fields_;
    std::string readable_;
};

struct LoggedEvent {
    double seconds = 0;
    std::string peer;
    uint64_t connection = 0;
    std::string kind;
    std::vector<std::pair<std::string, std::string>> fields;  // key, plain value
    std::string json;

    // The field's plain value, or empty when the event has no such field.
    std::string Get(std::string_view key) const;
    bool Has(std::string_view key) const;
};

std::string JsonQuote(std::string_view utf8);

class EventLog {
public:
    struct Options {
        std::string jsonPath;          // empty: no event file
        std::FILE* console = nullptr;  // readable lines; nullptr: none
        bool record = false;           // keep events in memory (tests)
    };
    explicit EventLog(Options options);
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;
    ~EventLog();

    bool Ok() const { return ok_; }  // false when the event file could not be opened
    void Write(const Event& event);
    double Seconds() const;

    std::vector<LoggedEvent> Recorded() const;
    // The first recorded event that matches, waiting up to `timeout` for it.
    std::optional<LoggedEvent> WaitFor(const std::function<bool(const LoggedEvent&)>& match,
                                       std::chrono::milliseconds timeout) const;

private:
    Options options_;
    std::FILE* json_ = nullptr;
    bool ok_ = true;
    std::chrono::steady_clock::time_point start_;
    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    std::vector<LoggedEvent> recorded_;
};

}  // namespace tesmora::classroom
