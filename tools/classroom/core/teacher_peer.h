// The teacher program's side of one teacher connection: the handshake ([DV00094], [DV00007]),
// keep-alive answers, the feature commands and their replies, screen and sound upload, and remote
// control, plus whatever misbehaviour the scenario asks for. This is the classroom's inbound
// handler for everything a remote sends to its teacher; it never trusts a count or a length.
// One thread (the connection's).
#pragma once

#include <cstdint>
#include <string>

#include "core/conversation.h"
#include "core/desktop_source.h"
#include "core/desktop_streamer.h"
#include "core/fault_sink.h"
#include "core/login_session.h"
#include "core/peer_session.h"
#include "core/scenario.h"
#include "core/screen_receiver.h"
#include "core/sound_recorder.h"

namespace tesmora::classroom {

class TeacherPeer : public PeerSession {
public:
    // `outDir` receives screen-<connection>.png and sound-<connection>-<n>.wav; empty: no files.
    // `index` counts the teacher connections from 1; `self` is this teacher's address, for
    // teacher.readdress-after.
    TeacherPeer(const Scenario& scenario, FrameSink& sink, EventLog& log, uint64_t connection,
                std::string outDir, int index = 1, LoginTarget self = {});

    void OnConnected(SessionClock::time_point now) override;
    void OnPacket(Packet& packet, SessionClock::time_point now) override;
    void OnTick(SessionClock::time_point now) override;
    void OnClosed(SessionClock::time_point now) override;
    bool DropMidFrame() const override { return teacher_.dropMidUpload && uploading_; }

    // Operator requests.
    bool SaveScreen();
    void OpenRemoteKeyboard();

    const ScreenReceiver& Upload() const { return upload_; }
    bool RemoteControlRunning() const { return streamer_.Running(); }

private:
    void OnText(std::u16string_view tag, std::u16string_view payload, SessionClock::time_point now);
    void OnKeepAlive();
    void OnUploadSettings(std::u16string_view payload);
    void OnSwitch(std::u16string_view payload, bool touch);
    void StartTrickle(SessionClock::time_point now);
    void SendJunk();  // teacher.junk-frames
    void StartRemoteControl(SessionClock::time_point now);
    void StopRemoteControl(const std::string& why);
    void SendScreenSize();
    void SendMonitorList();
    void AcknowledgeFrame(uint32_t number, SessionClock::time_point now);
    void ResumeAcknowledgementsIfDue(SessionClock::time_point now);
    void OnKeyEvents(const Packet& packet);
    void OnPointerEvents(const Packet& packet);
    bool Malformed(const char* message) const;
    std::string OutPath(const std::string& name) const;

    const TeacherBehaviour& teacher_;
    std::string teacherId_;  // the first the scenario knows
    int index_;
    LoginTarget self_;
    bool readdressSent_ = false;
    FaultSink faults_;  // everything the teacher sends goes through it
    Conversation talk_;
    std::string outDir_;
    DesktopSource desktop_;
    bool desktopReady_ = false;
    DesktopStreamer streamer_;
    ScreenReceiver upload_;
    SoundRecorder sound_;
    int soundRuns_ = 0;
    bool accepted_ = false;
    bool disconnectSent_ = false;
    bool uploading_ = false;
    bool silentLogged_ = false;
    int keepAlivesAnswered_ = 0;
    SessionClock::time_point acceptedAt_;
    SessionClock::time_point connectedAt_;
    // teacher.ack-pause-from: acknowledgements of upload frames withheld once per connection.
    enum class AckPause { kNotYet, kWithholding, kOver };
    AckPause ackPause_ = AckPause::kNotYet;
    SessionClock::time_point ackPauseEnds_;
    int64_t acksWithheld_ = 0;
    int64_t highestFramePlaced_ = -1;
};

}  // namespace tesmora::classroom
