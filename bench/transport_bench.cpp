// Benchmarks of the transport core, native, single thread: the frame scanner over one large arrival
// (received in one call, and appended then scanned) beside a plain memcpy of the same bytes, one
// large frame arriving in pieces, and the cost of writing and reading one type 1 packet with each
// cipher engine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "transport/cipher_provider.h"
#include "transport/frame.h"
#include "transport/frame_receiver.h"
#include "transport/packet.h"

using namespace tesmora;

namespace {

constexpr size_t kArrivalBytes = 16u << 20;

// One arrival of back-to-back type 12 frames of `frameBytes` bytes each (mark included).
std::vector<uint8_t> MakeArrival(size_t frameBytes) {
    const size_t dataBytes = frameBytes - 4 - 4 - 1 - 12;
    std::vector<uint8_t> data(dataBytes, 0x5A);
    Packet packet;
    packet.SetType(kPacketImage);
    packet.SetData(data.data(), static_cast<uint32_t>(data.size()));
    packet.SetSize(static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> arrival;
    arrival.reserve(kArrivalBytes);
    for (uint32_t n = 0; arrival.size() + frameBytes <= kArrivalBytes; ++n) {
        packet.SetSequence(n);
        const std::vector<uint8_t> frame = packet.BuildFrame(static_cast<uint8_t>(n));
        arrival.insert(arrival.end(), frame.begin(), frame.end());
    }
    return arrival;
}

// The socket's path: the arrival received in one call, each frame copied straight into its block.
void BM_ScanArrival(benchmark::State& state) {
    const std::vector<uint8_t> arrival = MakeArrival(static_cast<size_t>(state.range(0)));
    FrameReceiver receiver;
    size_t frames = 0;
    for (auto _ : state) {
        const auto result = receiver.Receive(arrival.data(), arrival.size(), [&](uint8_t* block) {
            ++frames;
            FreeFrameBlock(block);
        });
        if (result != FrameReceiver::ScanResult::kNeedMore || receiver.Count() != 0) {
            state.SkipWithError("scanner did not consume the arrival");
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(arrival.size()));
    state.counters["frames"] = benchmark::Counter(double(frames) / double(state.iterations()));
}
BENCHMARK(BM_ScanArrival)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);

// The same arrival appended to the receive buffer first, then scanned: every byte copied twice.
void BM_AppendThenScanArrival(benchmark::State& state) {
    const std::vector<uint8_t> arrival = MakeArrival(static_cast<size_t>(state.range(0)));
    FrameReceiver receiver;
    for (auto _ : state) {
        receiver.Append(arrival.data(), arrival.size());
        const auto result = receiver.Scan([&](uint8_t* block) { FreeFrameBlock(block); });
        if (result != FrameReceiver::ScanResult::kNeedMore || receiver.Count() != 0) {
            state.SkipWithError("scanner did not consume the arrival");
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(arrival.size()));
}
BENCHMARK(BM_AppendThenScanArrival)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);

// Baseline: the bytes of the same arrival copied once.
void BM_MemcpyArrival(benchmark::State& state) {
    const std::vector<uint8_t> arrival = MakeArrival(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> copy(arrival.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), arrival.data(), arrival.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(arrival.size()));
}
BENCHMARK(BM_MemcpyArrival)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);

// The scanner and its baseline within each iteration, in alternating order, so that the machine's
// speed drift (other builds share its 2 cores) weighs on both alike: ours_ms (Receive of the arrival),
// memcpy_ms (one memcpy of it), ratio = ours / memcpy summed over the iterations; the throughput
// against memcpy's is its inverse.
void BM_ScanBesideMemcpy(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const std::vector<uint8_t> arrival = MakeArrival(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> copy(arrival.size());
    FrameReceiver receiver;
    double ours = 0, baseline = 0;
    bool scanFirst = true;
    const auto scan = [&] {
        const Clock::time_point begun = Clock::now();
        const auto result = receiver.Receive(arrival.data(), arrival.size(), FreeFrameBlock);
        ours += std::chrono::duration<double>(Clock::now() - begun).count();
        return result == FrameReceiver::ScanResult::kNeedMore && receiver.Count() == 0;
    };
    const auto copyAll = [&] {
        const Clock::time_point begun = Clock::now();
        std::memcpy(copy.data(), arrival.data(), arrival.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
        baseline += std::chrono::duration<double>(Clock::now() - begun).count();
    };
    for (auto _ : state) {
        if (!scanFirst) copyAll();
        if (!scan()) {
            state.SkipWithError("scanner did not consume the arrival");
            break;
        }
        if (scanFirst) copyAll();
        scanFirst = !scanFirst;
    }
    state.counters["ours_ms"] = benchmark::Counter(ours * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["memcpy_ms"] = benchmark::Counter(baseline * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = benchmark::Counter(baseline > 0 ? ours / baseline : 0);
}
BENCHMARK(BM_ScanBesideMemcpy)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);

// One 8 MB frame (a full-screen JPEG of a large desktop) arriving in 64 KB pieces, each received as
// the socket does, into a new receiver: the buffer's growth from its first 40,960 bytes is measured.
void BM_LargeFrameInPieces(benchmark::State& state) {
    constexpr uint32_t kLength = 8u << 20;
    constexpr size_t kPiece = 64u << 10;
    std::vector<uint8_t> frame(kLength + kFrameMarkSize, 0x0C);
    const auto mark = MakeFrameMark(0x42);
    std::memcpy(frame.data(), mark.data(), kFrameMarkSize);
    std::memcpy(frame.data() + kFrameMarkSize, &kLength, 4);  // little-endian hosts only
    for (auto _ : state) {
        FrameReceiver receiver;
        size_t frames = 0;
        for (size_t at = 0; at < frame.size(); at += kPiece) {
            receiver.Receive(frame.data() + at, std::min(kPiece, frame.size() - at), [&](uint8_t* block) {
                ++frames;
                FreeFrameBlock(block);
            });
        }
        if (frames != 1) {
            state.SkipWithError("the frame was not delivered");
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.size()));
}
BENCHMARK(BM_LargeFrameInPieces)->Unit(benchmark::kMillisecond);

// A provider that is not there: the self-test fails and PacketCipher uses the built-in engine.
class AbsentProvider : public CipherProvider {
public:
    bool OpenSelfTestContainer() override { return false; }
    bool ProbeDefaultContainer() override { return false; }
    std::unique_ptr<ProviderKey> DeriveRc4Key(const uint8_t*, uint32_t) override { return nullptr; }
};

void WriteAndReadText(benchmark::State& state, CipherProvider& provider) {
    const Packet packet(u"[RC00008]1920,1080,full,resize");
    for (auto _ : state) {
        const std::vector<uint8_t> frame = packet.BuildFrame(0x5C, provider);
        Packet received;
        const bool ok =
            received.ReadBody(frame.data() + kFrameMarkSize, frame.size() - kFrameMarkSize, provider);
        benchmark::DoNotOptimize(ok);
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}

void BM_TextPacketBuiltInEngine(benchmark::State& state) {
    AbsentProvider absent;
    WriteAndReadText(state, absent);
}
BENCHMARK(BM_TextPacketBuiltInEngine)->Unit(benchmark::kMicrosecond);

void BM_TextPacketProviderEngine(benchmark::State& state) {
    WriteAndReadText(state, SystemCipherProvider());
}
BENCHMARK(BM_TextPacketProviderEngine)->Unit(benchmark::kMicrosecond);

}  // namespace
