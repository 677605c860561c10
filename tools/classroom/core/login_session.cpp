// LoginSession. One thread.
#include "core/login_session.h"

#include <vector>

#include "core/fields.h"
#include "core/text_codec.h"
#include "session/command_tag.h"

namespace tesmora::classroom {

namespace {

bool IsDottedAddress(std::u16string_view text) {
    int groups = 0;
    size_t start = 0;
    while (true) {
        const size_t dot = text.find(u'.', start);
        const auto group = text.substr(start, dot == text.npos ? text.npos : dot - start);
        const auto value = ParseStrictInt(group);
        if (!value || *value < 0 || *value > 255 || group.size() > 3 || group.empty()) return false;
        ++groups;
        if (dot == text.npos) break;
        start = dot + 1;
    }
    return groups == 4;
}

}  // namespace

std::u16string TeacherAddressPayload(const std::string& teacherId, const LoginTarget& target) {
    return u"1," + FromUtf8(teacherId) + u",Tesmora Orlu Teacher,classroom," + FromUtf8(target.teacherHost) +
           u"," + DecimalText(target.teacherPort) + u",Reserved";
}

LoginSession::LoginSession(const Scenario& scenario, FrameSink& sink, EventLog& log, uint64_t connection,
                           int index, LoginTarget target)
    : scenario_(scenario), talk_(sink, log, "login", connection), index_(index), target_(std::move(target)) {}

void LoginSession::OnConnected(SessionClock::time_point) {
    const auto& login = scenario_.login;
    const bool refuse =
        login.greeting == LoginGreeting::kRefuse && (login.refusals == 0 || index_ <= login.refusals);
    if (refuse) {
        talk_.SendText(u"[UR00001]" + FromUtf8(login.refuseCode) + u"," + FromUtf8(login.refuseMessage));
        return;
    }
    switch (login.greeting) {
        case LoginGreeting::kOk:
        case LoginGreeting::kRefuse:
            talk_.SendText(u"[UR00001]0,OK");
            break;
        case LoginGreeting::kMalformed:
            talk_.SendText(u"[UR00001]0,OK,unexpected");
            break;
        case LoginGreeting::kSilent:
            talk_.Log(talk_.Make("silent").Say("** greeting withheld (scenario)"));
            break;
        case LoginGreeting::kClose:
            talk_.Close("scenario: close instead of greeting");
            break;
    }
}

void LoginSession::OnPacket(Packet& packet, SessionClock::time_point) {
    if (!talk_.Open()) return;
    if (packet.Type() != kPacketText) {
        talk_.BadInput("packet of type " + std::to_string(packet.Type()) + " on the login connection");
        return;
    }
    talk_.LogReceivedText(packet.Text());
    const auto command = SplitCommand(packet.Text());
    if (command && command->tag == kTagIdentification) {
        OnIdentification(command->payload);
    } else {
        talk_.BadInput("unexpected text on the login connection: " + ToUtf8(packet.Text()));
    }
}

void LoginSession::OnIdentification(std::u16string_view payload) {
    if (identified_) talk_.Warning("a second [US00001] on one login connection");
    identified_ = true;

    // The remote writes "%d,%s,%s,%s,%s,%d,%s,%s": eight fields, none empty.
    const auto fields = SplitFields(payload, true);
    std::vector<std::string> problems;
    const auto field = [&fields](size_t i) { return i < fields.size() ? fields[i] : std::u16string_view(); };
    if (fields.size() != 8)
        problems.push_back("[US00001] has " + std::to_string(fields.size()) + " fields, not 8");
    if (field(0) != u"5") problems.push_back("field 1 is \"" + ToUtf8(field(0)) + "\", not 5");
    const std::string teacherId = ToUtf8(field(1));
    if (!IsDottedAddress(field(2)))
        problems.push_back("field 3 is not a dotted address: \"" + ToUtf8(field(2)) + "\"");
    const auto port = ParseStrictInt(field(3));
    if (!port || *port < 1 || *port > 65535)
        problems.push_back("field 4 is not a port: \"" + ToUtf8(field(3)) + "\"");
    if (field(4) != kRemoteVersion)
        problems.push_back("field 5 is \"" + ToUtf8(field(4)) + "\", not 2.0.1.1028");
    if (field(5) != u"1") problems.push_back("field 6 is \"" + ToUtf8(field(5)) + "\", not 1");
    if (field(6) != u"Reserved" || field(7) != u"Reserved")
        problems.push_back("fields 7 and 8 are not Reserved");

    talk_.Log(talk_.Make("identified")
                  .Str("teacher_id", teacherId)
                  .Text("address", field(2))
                  .Text("port", field(3))
                  .Text("version", field(4))
                  .Bool("valid", problems.empty())
                  .Say("** remote identified: teacher ID \"" + teacherId + "\", " + ToUtf8(field(2)) + ":" +
                       ToUtf8(field(3)) + ", version " + ToUtf8(field(4))));
    for (const auto& problem : problems) talk_.BadInput(problem);

    if (!scenario_.KnowsTeacher(teacherId)) {
        talk_.SendText(u"[UR00001]1,일치하는 선생님 정보를 찾을 수 없습니다.");
        return;
    }
    const std::u16string address = TeacherAddressPayload(teacherId, target_);
    switch (scenario_.login.address) {
        case LoginAddress::kOk:
            talk_.SendText(u"[UR00002]" + address);
            break;
        case LoginAddress::kMalformed:
            talk_.SendText(u"[UR00002]" + address + u",unexpected");
            break;
        case LoginAddress::kSilent:
            talk_.Log(talk_.Make("silent").Say("** address withheld (scenario)"));
            break;
        case LoginAddress::kClose:
            talk_.Close("scenario: close instead of the address");
            break;
    }
}

void LoginSession::OnClosed(SessionClock::time_point) {
    talk_.MarkClosed();
}

}  // namespace tesmora::classroom
