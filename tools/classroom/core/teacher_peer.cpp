// TeacherPeer. One thread.
#include "core/teacher_peer.h"

#include <algorithm>

#include "core/fields.h"
#include "core/png_writer.h"
#include "core/text_codec.h"
#include "session/command_tag.h"

namespace tesmora::classroom {

TeacherPeer::TeacherPeer(const Scenario& scenario, FrameSink& sink, EventLog& log, uint64_t connection,
                         std::string outDir, int index, LoginTarget self)
    : teacher_(scenario.teacher),
      teacherId_(scenario.teacherIds.empty() ? std::string() : scenario.teacherIds.front()),
      index_(index),
      self_(std::move(self)),
      faults_(sink),
      talk_(faults_, log, "teacher", connection),
      outDir_(std::move(outDir)),
      streamer_(scenario.teacher, desktop_) {
    std::string error;
    desktopReady_ = desktop_.Init(teacher_, error);
    if (!desktopReady_) talk_.Warning("no desktop for remote control: " + error);
}

bool TeacherPeer::Malformed(const char* message) const {
    return teacher_.malformed.count(message) != 0;
}

std::string TeacherPeer::OutPath(const std::string& name) const {
    return outDir_.empty() ? std::string() : outDir_ + "/" + name;
}

void TeacherPeer::OnConnected(SessionClock::time_point now) {
    connectedAt_ = now;
    if (teacher_.trickleAfter == 0) StartTrickle(now);
    if (teacher_.greeting == TeacherGreeting::kClose) {
        talk_.Close("scenario: close instead of accepting");
        return;
    }
    if (teacher_.greeting == TeacherGreeting::kSilent) {
        talk_.Log(talk_.Make("silent").Say("** acceptance withheld (scenario)"));
        return;
    }
    if (!teacher_.version.empty()) talk_.SendText(u"[DV00094]" + FromUtf8(teacher_.version));
    const std::u16string refusal = FromUtf8(teacher_.refuseCode) + u"," + FromUtf8(teacher_.refuseMessage);
    switch (teacher_.greeting) {
        case TeacherGreeting::kAccept:
            talk_.SendText(u"[DV00007]");
            accepted_ = true;
            acceptedAt_ = now;
            break;
        case TeacherGreeting::kRefuse:
            talk_.SendText(u"[DV10000]" + refusal);
            break;
        case TeacherGreeting::kRefuseClose:
            // The reason and the close leave together: the remote must still show the reason.
            talk_.SendText(u"[DV10000]" + refusal);
            talk_.Close("scenario: refused and closed at once");
            break;
        case TeacherGreeting::kRefuseMalformed:
            talk_.SendText(u"[DV10000]" + refusal + u",unexpected");
            break;
        default:
            break;
    }
}

void TeacherPeer::StartTrickle(SessionClock::time_point now) {
    talk_.Log(talk_.Make("trickle").Say("** from now on one byte a second (scenario)"));
    faults_.StartTrickle(now);
}

void TeacherPeer::OnTick(SessionClock::time_point now) {
    if (!talk_.Open()) return;
    if (teacher_.trickleAfter > 0 && !faults_.Trickling() &&
        now - connectedAt_ >= std::chrono::duration<double>(teacher_.trickleAfter)) {
        StartTrickle(now);
    }
    faults_.Tick(now);
    if (accepted_ && teacher_.closeAfter > 0 &&
        now - acceptedAt_ >= std::chrono::duration<double>(teacher_.closeAfter)) {
        talk_.Close("scenario: teacher.close-after");
        return;
    }
    if (accepted_ && index_ == 1 && !readdressSent_ && teacher_.readdressAfter > 0 &&
        now - acceptedAt_ >= std::chrono::duration<double>(teacher_.readdressAfter)) {
        readdressSent_ = true;
        talk_.SendText(u"[UR00002]" + TeacherAddressPayload(teacherId_, self_));
    }
    if (accepted_ && !disconnectSent_ && teacher_.disconnectAfter > 0 &&
        now - acceptedAt_ >= std::chrono::duration<double>(teacher_.disconnectAfter)) {
        disconnectSent_ = true;
        talk_.SendText(u"[DV10001]");
    }
    ResumeAcknowledgementsIfDue(now);
    // teacher.cut-frame: only the frame itself is cut, never a text that happens to go out instead.
    const bool cut =
        streamer_.Running() && teacher_.cutFrame >= 0 && streamer_.FramesSent() == teacher_.cutFrame;
    faults_.CutNextFrame(cut);
    streamer_.Tick(now, talk_);
    faults_.CutNextFrame(false);
    if (cut && streamer_.FramesSent() > teacher_.cutFrame)
        talk_.Log(talk_.Make("frame_cut")
                      .Int("frame", teacher_.cutFrame)
                      .Say("** frame cut halfway, dropped (scenario)"));
}

void TeacherPeer::OnClosed(SessionClock::time_point) {
    talk_.MarkClosed();
    streamer_.Stop();
    sound_.Stop(talk_);
    if (upload_.FramesPlaced() > 0) SaveScreen();
    talk_.Log(talk_.Make("session_end")
                  .Int("frames_placed", upload_.FramesPlaced())
                  .Int("sound_bytes", int64_t(sound_.BytesReceived()))
                  .Int("frames_sent", streamer_.FramesSent())
                  .Say("** session ended: " + std::to_string(upload_.FramesPlaced()) +
                       " uploaded frames placed, " + std::to_string(sound_.BytesReceived()) +
                       " sound bytes, " + std::to_string(streamer_.FramesSent()) + " desktop frames sent"));
}

bool TeacherPeer::SaveScreen() {
    if (!upload_.HasScreen()) return false;
    const std::string path = OutPath("screen-" + std::to_string(talk_.Connection()) + ".png");
    if (path.empty()) return false;
    if (!WritePng(upload_.Screen(), path)) {
        talk_.Warning("cannot write " + path);
        return false;
    }
    talk_.Log(talk_.Make("file_saved")
                  .Str("kind", "screen")
                  .Str("path", path)
                  .Int("width", upload_.Screen().width)
                  .Int("height", upload_.Screen().height)
                  .Say("** screen saved: " + path));
    return true;
}

void TeacherPeer::OpenRemoteKeyboard() {
    if (streamer_.Running()) talk_.SendText(u"[RC00007]");
}

void TeacherPeer::OnPacket(Packet& packet, SessionClock::time_point now) {
    if (!talk_.Open()) return;
    switch (packet.Type()) {
        case kPacketText: {
            talk_.LogReceivedText(packet.Text());
            const auto command = SplitCommand(packet.Text());
            if (!command) {
                talk_.BadInput("text shorter than a command tag: \"" + ToUtf8(packet.Text()) + "\"");
            } else {
                OnText(command->tag, command->payload, now);
            }
            break;
        }
        case kPacketKeyEvents:
            OnKeyEvents(packet);
            break;
        case kPacketPointerEvents:
            OnPointerEvents(packet);
            break;
        case kPacketSound:
            if (soundRuns_ == 0) talk_.Warning("sound block before [RC00011]start");
            sound_.OnBlock(packet, talk_);
            break;
        case kPacketImage:
            if (!uploading_) talk_.Warning("image frame while screen upload is off");
            if (upload_.OnFrame(packet, talk_)) AcknowledgeFrame(packet.Sequence(), now);
            break;
        default:
            talk_.BadInput("packet of type " + std::to_string(packet.Type()) +
                           ", which the remote never sends");
    }
}

// [RH00002]<n> for a frame the receiver could place, unless teacher.ack-pause-from holds it back.
void TeacherPeer::AcknowledgeFrame(uint32_t number, SessionClock::time_point now) {
    ResumeAcknowledgementsIfDue(now);  // a pause that ran out before this frame ends first
    highestFramePlaced_ = std::max<int64_t>(highestFramePlaced_, number);
    if (ackPause_ == AckPause::kOver && teacher_.ackPauseEvery > 0 &&
        now - ackPauseEnds_ >= std::chrono::duration<double>(teacher_.ackPauseEvery)) {
        ackPause_ = AckPause::kNotYet;
        acksWithheld_ = 0;
    }
    if (ackPause_ == AckPause::kNotYet && teacher_.ackPauseFrom >= 0 && number >= teacher_.ackPauseFrom) {
        ackPause_ = AckPause::kWithholding;
        ackPauseEnds_ = now + std::chrono::duration_cast<SessionClock::duration>(
                                  std::chrono::duration<double>(teacher_.ackPauseSeconds));
    }
    if (ackPause_ == AckPause::kWithholding) {
        ++acksWithheld_;
        talk_.Log(talk_.Make("ack_withheld")
                      .Int("frame", number)
                      .Say("** [RH00002]" + std::to_string(number) + " withheld (scenario)"));
        return;
    }
    talk_.SendText(Malformed("rh00002") ? std::u16string(u"[RH00002]x") : u"[RH00002]" + DecimalText(number));
}

// The end of an acknowledgement pause: one [RH00002] with the highest frame placed so far.
void TeacherPeer::ResumeAcknowledgementsIfDue(SessionClock::time_point now) {
    if (ackPause_ != AckPause::kWithholding || now < ackPauseEnds_ || !talk_.Open()) return;
    ackPause_ = AckPause::kOver;
    talk_.Log(talk_.Make("ack_resumed")
                  .Int("frame", highestFramePlaced_)
                  .Int("withheld", acksWithheld_)
                  .Say("** acknowledgements resume after " + std::to_string(acksWithheld_) +
                       " withheld frames (scenario)"));
    talk_.SendText(Malformed("rh00002") ? std::u16string(u"[RH00002]x")
                                        : u"[RH00002]" + DecimalText(highestFramePlaced_));
}

void TeacherPeer::OnText(std::u16string_view tag, std::u16string_view payload, SessionClock::time_point now) {
    const auto fields = SplitFields(payload, true);
    const auto expectWord = [&](std::initializer_list<std::u16string_view> words) {
        for (auto word : words) {
            if (payload == word) return true;
        }
        talk_.BadInput(ToUtf8(tag) + " with the payload \"" + ToUtf8(payload) + "\"");
        return false;
    };
    const auto expectEmpty = [&] {
        if (!payload.empty()) talk_.Warning(ToUtf8(tag) + " carries an unexpected payload");
    };

    if (tag == kTagRemoteVersion) {
        if (payload != u"2.0.1.1028")
            talk_.Warning("[RC00001] carries the version \"" + ToUtf8(payload) + "\"");
        SendScreenSize();
        SendJunk();
    } else if (tag == kTagKeepAlive) {
        expectEmpty();
        OnKeepAlive();
    } else if (tag == kTagRemoteControlStart) {
        expectEmpty();
        StartRemoteControl(now);
    } else if (tag == kTagRemoteControlEnd) {
        expectEmpty();
        StopRemoteControl("[RC00005]");
    } else if (tag == kTagImageShown) {
        const auto frame = ParseStrictInt(payload);
        if (!frame) {
            talk_.BadInput("[RC00006] without a frame number");
        } else if (!streamer_.Running()) {
            talk_.Warning("[RC00006] while remote control is off");
        } else {
            streamer_.OnAcknowledged(*frame, talk_);
        }
    } else if (tag == kTagUploadSettings) {
        OnUploadSettings(payload);
    } else if (tag == kTagUploadSwitch) {
        if (!expectWord({u"start", u"stop"})) return;
        uploading_ = payload == u"start";
        if (uploading_ && !upload_.HasScreen()) talk_.Warning("[RC00009]start before [RC00008]");
        talk_.Log(talk_.Make("upload")
                      .Str("state", uploading_ ? "start" : "stop")
                      .Say(uploading_ ? "** screen upload on" : "** screen upload off"));
        if (!uploading_ && upload_.FramesPlaced() > 0) SaveScreen();
    } else if (tag == kTagPadScreenSize) {
        const auto w = fields.size() == 2 ? ParseStrictInt(fields[0]) : std::nullopt;
        const auto h = fields.size() == 2 ? ParseStrictInt(fields[1]) : std::nullopt;
        if (!w || !h || *w < 1 || *h < 1) {
            talk_.BadInput("[RC00010] is not a screen size: \"" + ToUtf8(payload) + "\"");
            return;
        }
        talk_.Log(talk_.Make("remote_screen")
                      .Int("width", *w)
                      .Int("height", *h)
                      .Say("** the pad's screen is " + std::to_string(*w) + "x" + std::to_string(*h)));
        if (streamer_.Running()) {  // the pad's display changed: it starts its picture over
            if (teacher_.sizeOnRemoteControl) SendScreenSize();
            streamer_.Start(now);
        }
    } else if (tag == kTagSoundSwitch) {
        if (!expectWord({u"start", u"stop"})) return;
        talk_.Log(
            talk_.Make("sound").Str("state", ToUtf8(payload)).Say("** sound upload " + ToUtf8(payload)));
        if (payload == u"start") {
            ++soundRuns_;
            sound_.Start(OutPath("sound-" + std::to_string(talk_.Connection()) + "-" +
                                 std::to_string(soundRuns_) + ".wav"),
                         talk_);
        } else {
            sound_.Stop(talk_);
        }
    } else if (tag == kTagBroadcastSwitch || tag == kTagStudentTouchSwitch) {
        OnSwitch(payload, tag == kTagStudentTouchSwitch);
    } else if (tag == kTagTypedCharacter) {
        const auto code = ParseStrictInt(payload);
        if (!code || *code < 0 || *code > 0xFFFF) {
            talk_.BadInput("[RC00014] without a character code");
            return;
        }
        if (!streamer_.Running()) talk_.Warning("[RC00014] while remote control is off");
        const std::u16string character(1, char16_t(*code));
        talk_.Log(talk_.Make("char")
                      .Int("code", *code)
                      .Text("char", character)
                      .Say("** typed character " + std::to_string(*code)));
    } else if (tag == kTagInputModeSwitch) {
        expectEmpty();
        if (!streamer_.Running()) talk_.Warning("[RC00015] while remote control is off");
        talk_.Log(talk_.Make("ime_toggle").Say("** input-mode switch"));
    } else if (IsKnownTag(tag)) {
        talk_.BadInput(ToUtf8(tag) + " travels from the teacher or the login server, not from the remote");
    } else {
        talk_.BadInput("unknown command tag " + ToUtf8(tag));
    }
}

void TeacherPeer::OnKeepAlive() {
    if (teacher_.silentAfter >= 0 && keepAlivesAnswered_ >= teacher_.silentAfter) {
        if (!silentLogged_)
            talk_.Log(talk_.Make("silent").Say("** keep-alives no longer answered (scenario)"));
        silentLogged_ = true;
        return;
    }
    ++keepAlivesAnswered_;
    talk_.SendText(u"[RH10002]");
}

void TeacherPeer::OnUploadSettings(std::u16string_view payload) {
    const auto fields = SplitFields(payload, true);
    const auto w = fields.size() == 4 ? ParseStrictInt(fields[0]) : std::nullopt;
    const auto h = fields.size() == 4 ? ParseStrictInt(fields[1]) : std::nullopt;
    if (!w || !h) {
        talk_.BadInput("[RC00008] is not \"width,height,mode,fit\": \"" + ToUtf8(payload) + "\"");
        return;
    }
    if (fields[2] != u"full" && fields[2] != u"window")
        talk_.BadInput("[RC00008] mode \"" + ToUtf8(fields[2]) + "\"");
    if (fields[3] != u"resize" && fields[3] != u"center")
        talk_.BadInput("[RC00008] fit \"" + ToUtf8(fields[3]) + "\"");
    std::string error;
    if (!upload_.SetScreen(*w, *h, error)) {
        talk_.BadInput("[RC00008]: " + error);
        return;
    }
    talk_.Log(talk_.Make("upload_settings")
                  .Int("width", *w)
                  .Int("height", *h)
                  .Text("mode", fields[2])
                  .Text("fit", fields[3])
                  .Int("part_width", upload_.Grid().partWidth)
                  .Int("part_height", upload_.Grid().partHeight)
                  .Say("** upload settings: " + std::to_string(*w) + "x" + std::to_string(*h) + ", " +
                       ToUtf8(fields[2]) + ", " + ToUtf8(fields[3])));
}

void TeacherPeer::OnSwitch(std::u16string_view payload, bool touch) {
    const char* name = touch ? "touch" : "broadcast";
    if (payload != u"on" && payload != u"off") {
        talk_.BadInput(std::string(touch ? "[RC00013]" : "[RC00012]") + " with the payload \"" +
                       ToUtf8(payload) + "\"");
        return;
    }
    const bool on = payload == u"on";
    talk_.Log(talk_.Make("switch")
                  .Str("name", name)
                  .Bool("on", on)
                  .Say(std::string("** student ") + (touch ? "touch " : "broadcast ") + (on ? "on" : "off")));
    // Teachers up to 2.0.1.1027 switch without a word; the remote toggles its button itself for them.
    if (!teacher_.answerSwitches.value_or(teacher_.version > "2.0.1.1027")) return;
    const std::u16string tag = touch ? u"[RH00003]" : u"[RH00004]";
    const bool empty = Malformed(touch ? "rh00003" : "rh00004");
    talk_.SendText(tag + (empty ? u"" : on ? u"1" : u"0"));
}

void TeacherPeer::SendScreenSize() {
    if (!desktopReady_) return;
    const std::u16string width = DecimalText(desktop_.Width());
    talk_.SendText(Malformed("rh00001") ? u"[RH00001]" + width
                                        : u"[RH00001]" + width + u"," + DecimalText(desktop_.Height()));
}

void TeacherPeer::SendMonitorList() {
    const auto& monitors = desktop_.Monitors();
    std::u16string count = teacher_.monitorCount.empty() ? DecimalText(int64_t(monitors.size()))
                                                         : FromUtf8(teacher_.monitorCount);
    if (Malformed("rh00005")) count = DecimalText(int64_t(monitors.size()) + 1);
    std::u16string text = u"[RH00005]" + count;
    for (const auto& m : monitors) {
        text += u"," + DecimalText(m.x) + u"," + DecimalText(m.y) + u"," + DecimalText(m.width) + u"," +
                DecimalText(m.height);
    }
    talk_.SendText(text);
}

void TeacherPeer::StartRemoteControl(SessionClock::time_point now) {
    if (!desktopReady_) {
        talk_.Warning("remote control asked for, but there is no desktop to show");
        return;
    }
    if (streamer_.Running()) talk_.Warning("[RC00004] while remote control runs: starting over");
    talk_.Log(talk_.Make("remote_control").Str("state", "start").Say("** remote control starts"));
    if (teacher_.sizeOnRemoteControl) SendScreenSize();
    SendMonitorList();
    if (teacher_.floodMegabytes > 0) {
        SendFlood(faults_, teacher_.floodMegabytes);
        talk_.Log(talk_.Make("flood_sent")
                      .Int("megabytes", teacher_.floodMegabytes)
                      .Say("-> " + std::to_string(teacher_.floodMegabytes) + " MB at once (scenario)"));
    }
    if (teacher_.keyboardOnStart) talk_.SendText(u"[RC00007]");
    SendJunk();
    streamer_.Start(now);
}

void TeacherPeer::SendJunk() {
    if (teacher_.junkFrames <= 0) return;
    SendJunkFrames(faults_, teacher_.junkFrames);
    talk_.Log(talk_.Make("junk_sent")
                  .Int("frames", teacher_.junkFrames)
                  .Say("-> " + std::to_string(teacher_.junkFrames) + " unusable frames (scenario)"));
}

void TeacherPeer::StopRemoteControl(const std::string& why) {
    if (!streamer_.Running()) {
        talk_.Warning(why + " while remote control is off");
        return;
    }
    streamer_.Stop();
    talk_.Log(talk_.Make("remote_control")
                  .Str("state", "stop")
                  .Int("frames_sent", streamer_.FramesSent())
                  .Int("last_acknowledged", streamer_.LastAcknowledged())
                  .Say("** remote control ends after " + std::to_string(streamer_.FramesSent()) + " frames"));
}

void TeacherPeer::OnKeyEvents(const Packet& packet) {
    if (!streamer_.Running()) talk_.Warning("key events while remote control is off");
    std::string list = "[", readable;
    for (const auto& e : packet.KeyEvents()) {
        if (list.size() > 1) list += ",";
        list += "{\"message\":" + std::to_string(e.message) + ",\"key\":" + std::to_string(e.keyCode) +
                ",\"repeat\":" + std::to_string(e.repeatCount) + ",\"flags\":" + std::to_string(e.keyFlags) +
                "}";
        readable += std::string(e.message == 0x100   ? " down "
                                : e.message == 0x101 ? " up "
                                                     : " ?") +
                    std::to_string(e.keyCode);
    }
    talk_.Log(talk_.Make("key_events")
                  .Int("count", int64_t(packet.KeyEvents().size()))
                  .Json("events", list + "]")
                  .Say("<- " + std::to_string(packet.KeyEvents().size()) + " key events:" + readable));
}

void TeacherPeer::OnPointerEvents(const Packet& packet) {
    if (!streamer_.Running()) talk_.Warning("pointer events while remote control is off");
    std::string list = "[";
    for (const auto& e : packet.PointerEvents()) {
        if (list.size() > 1) list += ",";
        list += "{\"message\":" + std::to_string(e.message) +
                ",\"flags\":" + std::to_string(e.keyStateFlags) + ",\"x\":" + std::to_string(e.x) +
                ",\"y\":" + std::to_string(e.y) + ",\"wheel\":" + std::to_string(e.wheelDelta) + "}";
        if (e.message < 0x200 || e.message > 0x20E)
            talk_.Warning("pointer event with message " + std::to_string(e.message));
    }
    std::string where;
    if (!packet.PointerEvents().empty()) {
        const auto& last = packet.PointerEvents().back();
        desktop_.SetPointer(last.x, last.y);
        where = ", last at " + std::to_string(last.x) + "," + std::to_string(last.y);
    }
    talk_.Log(talk_.Make("pointer_events")
                  .Int("count", int64_t(packet.PointerEvents().size()))
                  .Json("events", list + "]")
                  .Say("<- " + std::to_string(packet.PointerEvents().size()) + " pointer events" + where));
}

}  // namespace tesmora::classroom
