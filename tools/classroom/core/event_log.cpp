// Event formatting and the thread-safe log. Any thread.
#include "core/event_log.h"

#include <cinttypes>

#include "core/text_codec.h"

namespace tesmora::classroom {

namespace {

// Text that reaches the log may come straight from the network: make sure it is valid UTF-8.
std::string CleanUtf8(std::string_view text) {
    return ToUtf8(FromUtf8(text));
}

}  // namespace

std::string JsonQuote(std::string_view utf8) {
    std::string out = "\"";
    for (char ch : utf8) {
        const auto c = uint8_t(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

Event::Event(std::string_view peer, uint64_t connection, std::string_view kind)
    : peer_(peer), connection_(connection), kind_(kind) {}

Event& Event::Str(std::string_view key, std::string_view value) {
    std::string clean = CleanUtf8(value);
    fields_.push_back({std::string(key), JsonQuote(clean), clean});
    return *this;
}

Event& Event::Text(std::string_view key, std::u16string_view value) {
    return Str(key, ToUtf8(value));
}

Event& Event::Int(std::string_view key, int64_t value) {
    const std::string digits = std::to_string(value);
    fields_.push_back({std::string(key), digits, digits});
    return *this;
}

Event& Event::Bool(std::string_view key, bool value) {
    const char* text = value ? "true" : "false";
    fields_.push_back({std::string(key), text, text});
    return *this;
}

Event& Event::Json(std::string_view key, std::string json) {
    fields_.push_back({std::string(key), json, json});
    return *this;
}

Event& Event::Say(std::string readable) {
    readable_ = CleanUtf8(readable);
    return *this;
}

std::string LoggedEvent::Get(std::string_view key) const {
    for (const auto& [k, v] : fields) {
        if (k == key) return v;
    }
    return {};
}

bool LoggedEvent::Has(std::string_view key) const {
    for (const auto& field : fields) {
        if (field.first == key) return true;
    }
    return false;
}

EventLog::EventLog(Options options) : options_(std::move(options)), start_(std::chrono::steady_clock::now()) {
    if (!options_.jsonPath.empty()) {
        json_ = std::fopen(options_.jsonPath.c_str(), "w");
        ok_ = json_ != nullptr;
    }
}

EventLog::~EventLog() {
    if (json_) std::fclose(json_);
}

double EventLog::Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void EventLog::Write(const Event& event) {
    LoggedEvent logged;
    logged.seconds = Seconds();
    logged.peer = event.Peer();
    logged.connection = event.Connection();
    logged.kind = event.Kind();

    char time[32];
    std::snprintf(time, sizeof time, "%.3f", logged.seconds);
    std::string json = std::string("{\"t\":") + time + ",\"peer\":" + JsonQuote(logged.peer) +
                       ",\"conn\":" + std::to_string(logged.connection) +
                       ",\"event\":" + JsonQuote(logged.kind);
    std::string readable = event.Readable();
    const bool madeUp = readable.empty();
    if (madeUp) readable = logged.kind;
    for (const auto& field : event.Fields()) {
        json += "," + JsonQuote(field.key) + ":" + field.json;
        logged.fields.emplace_back(field.key, field.plain);
        if (madeUp) readable += " " + field.key + "=" + field.plain;
    }
    json += "}";
    logged.json = json;

    std::string who = logged.peer;
    if (logged.connection != 0) who += "#" + std::to_string(logged.connection);

    std::lock_guard lock(lock_);
    if (options_.console) {
        std::fprintf(options_.console, "%9.3f  %-12s %s\n", logged.seconds, who.c_str(), readable.c_str());
        std::fflush(options_.console);
    }
    if (json_) {
        std::fprintf(json_, "%s\n", json.c_str());
        std::fflush(json_);
    }
    if (options_.record) {
        recorded_.push_back(std::move(logged));
        changed_.notify_all();
    }
}

std::vector<LoggedEvent> EventLog::Recorded() const {
    std::lock_guard lock(lock_);
    return recorded_;
}

std::optional<LoggedEvent> EventLog::WaitFor(const std::function<bool(const LoggedEvent&)>& match,
                                             std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(lock_);
    size_t checked = 0;
    while (true) {
        for (; checked < recorded_.size(); ++checked) {
            if (match(recorded_[checked])) return recorded_[checked];
        }
        if (changed_.wait_until(lock, deadline) == std::cv_status::timeout && checked == recorded_.size()) {
            return std::nullopt;
        }
    }
}

}  // namespace tesmora::classroom
