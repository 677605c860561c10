// Conversation. One thread.
#include "core/conversation.h"

#include "core/text_codec.h"
#include "session/command_tag.h"

namespace tesmora::classroom {

namespace {

void AddTextFields(Event& event, std::u16string_view text) {
    if (const auto command = SplitCommand(text)) {
        event.Text("tag", command->tag).Text("payload", command->payload);
    } else {
        event.Text("text", text);
    }
}

}  // namespace

Conversation::Conversation(FrameSink& sink, EventLog& log, std::string peer, uint64_t connection)
    : sink_(sink), log_(log), peer_(std::move(peer)), connection_(connection) {}

void Conversation::SendText(std::u16string_view text) {
    if (!open_) return;
    Packet packet(text);
    Event event = Make("send");
    event.Int("type", kPacketText);
    AddTextFields(event, text);
    event.Say("-> " + ToUtf8(text));
    SendPacket(packet, event);
}

void Conversation::SendPacket(const Packet& packet, const Event& event) {
    if (!open_) return;
    log_.Write(event);
    packet.Write(sink_);
}

void Conversation::LogReceivedText(std::u16string_view text) {
    Event event = Make("recv");
    event.Int("type", kPacketText);
    AddTextFields(event, text);
    log_.Write(event.Say("<- " + ToUtf8(text)));
}

void Conversation::BadInput(const std::string& what) {
    log_.Write(Make("bad_input").Str("what", what).Say("!! bad input: " + what));
}

void Conversation::Warning(const std::string& what) {
    log_.Write(Make("warning").Str("what", what).Say("?? " + what));
}

void Conversation::Close(const std::string& why) {
    if (!open_) return;
    log_.Write(Make("closing").Str("why", why).Say("** closing the connection: " + why));
    open_ = false;
    sink_.Close();
}

}  // namespace tesmora::classroom
