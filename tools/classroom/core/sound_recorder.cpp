// SoundRecorder. One thread.
#include "core/sound_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/sound_analysis.h"

namespace tesmora::classroom {

void SoundRecorder::Start(const std::string& path, Conversation& talk) {
    Stop(talk);
    running_ = true;
    runBlocks_ = runSamples_ = samplesAfterFirstSound_ = 0;
    analysed_.clear();
    firstSoundAt_.reset();
    lastSoundAt_ = 0;
    path_ = path;
    if (!path.empty() && !wav_.Open(path)) talk.Warning("cannot write " + path);
}

void SoundRecorder::Stop(Conversation& talk) {
    if (running_ && runBlocks_ > 0) Report(talk);
    running_ = false;
    if (!wav_.IsOpen()) return;
    const uint32_t bytes = wav_.DataBytes();
    wav_.Close();
    talk.Log(talk.Make("file_saved")
                 .Str("kind", "sound")
                 .Str("path", path_)
                 .Int("bytes", bytes)
                 .Say("** sound saved: " + path_ + " (" + std::to_string(bytes / 2) + " samples)"));
}

void SoundRecorder::OnBlock(const Packet& packet, Conversation& talk) {
    if (packet.Size() != packet.DataLength()) {
        talk.BadInput("sound block: size field " + std::to_string(packet.Size()) +
                      " differs from the data length " + std::to_string(packet.DataLength()));
        return;
    }
    if (packet.DataLength() % 2 != 0) talk.Warning("sound block of an odd number of bytes");
    bytes_ += packet.DataLength();
    Analyse(packet.Data(), packet.DataLength(), talk.EventsLog().Seconds());
    talk.Log(talk.Make("sound_block")
                 .Int("bytes", packet.DataLength())
                 .Say("<- sound block: " + std::to_string(packet.DataLength()) + " bytes"));
    if (wav_.IsOpen() && !wav_.Append(packet.Data(), packet.DataLength()))
        talk.Warning("cannot write " + path_);
}

void SoundRecorder::Analyse(const uint8_t* data, uint32_t length, double seconds) {
    const uint32_t samples = length / 2;
    ++runBlocks_;
    runSamples_ += samples;
    bool sound = false;
    for (uint32_t i = 0; i < samples; ++i) {
        const auto sample = int16_t(uint16_t(data[2 * i] | (data[2 * i + 1] << 8)));
        sound = sound || sample != 0;
        if ((!analysed_.empty() || sample != 0) && analysed_.size() < kAnalysedSamples)
            analysed_.push_back(sample);
    }
    if (!sound) return;
    if (!firstSoundAt_) {
        firstSoundAt_ = seconds;
    } else {
        samplesAfterFirstSound_ += samples;
    }
    lastSoundAt_ = seconds;
}

void SoundRecorder::Report(Conversation& talk) {
    Event event = talk.Make("sound_received");
    event.Int("blocks", int64_t(runBlocks_)).Int("samples", int64_t(runSamples_));
    event.Int("sample_rate", WavWriter::kSampleRate);
    std::string readable = "** sound received: " + std::to_string(runSamples_) + " samples at " +
                           std::to_string(WavWriter::kSampleRate) + " Hz";
    // Blocks of sound arrive as fast as the pad fills them, so over a second or more their samples
    // per second tell the pad's real sampling rate.
    const double span = firstSoundAt_ ? lastSoundAt_ - *firstSoundAt_ : 0;
    if (span >= 1.0) {
        const auto rate = int64_t(std::lround(double(samplesAfterFirstSound_) / span));
        event.Int("arrival_rate", rate);
        readable += ", arriving at " + std::to_string(rate) + " a second";
    }
    if (const auto hz = DominantFrequency(analysed_, WavWriter::kSampleRate)) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", *hz);
        event.Json("dominant_hz", text);
        readable += std::string(", dominant frequency ") + text + " Hz";
    }
    talk.Log(event.Say(readable));
}

}  // namespace tesmora::classroom
