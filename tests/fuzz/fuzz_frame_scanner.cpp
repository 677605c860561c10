// Fuzz target: a byte stream arriving in chunks of random sizes is cut into frames, and each frame
// is read as a packet. Each chunk is either received in one call or appended and then scanned, at
// random. However the stream is chunked and fed, the frames delivered and the verdict must be the
// same as for the whole stream appended and scanned at once. A frame announcing more than the bound is
// refused on its header, and the buffer never grows much beyond what was fed.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <vector>

#include "transport/frame.h"
#include "transport/frame_receiver.h"
#include "transport/packet.h"

using namespace tesmora;

namespace {

using Frames = std::vector<std::vector<uint8_t>>;

FrameReceiver::ScanResult Feed(FrameReceiver& receiver, const uint8_t* data, size_t size, Frames& frames,
                               bool receive) {
    const auto keep = [&frames](uint8_t* block) {
        const uint32_t length = FrameBlockLength(block);
        if (length < kMinFrameLength || length > kMaxFrameLength) std::abort();
        frames.emplace_back(block, block + length);
        Packet packet;
        packet.Read(block);  // frees the block
    };
    if (receive) return receiver.Receive(data, size, keep);
    if (!receiver.Append(data, size)) std::abort();  // fuzz inputs are far below any limit
    return receiver.Scan(keep);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    FrameReceiver chunked;
    Frames chunkedFrames;
    std::vector<uint8_t> fed;
    auto verdict = FrameReceiver::ScanResult::kNeedMore;
    while (input.remaining_bytes() > 0 && verdict == FrameReceiver::ScanResult::kNeedMore) {
        const bool receive = input.ConsumeBool();
        const size_t chunkSize = input.ConsumeIntegralInRange<size_t>(1, 300);
        const std::vector<uint8_t> chunk = input.ConsumeBytes<uint8_t>(chunkSize);
        fed.insert(fed.end(), chunk.begin(), chunk.end());
        verdict = Feed(chunked, chunk.data(), chunk.size(), chunkedFrames, receive);
        // Doubling, in whole steps, from the first step: never more than twice what was fed plus a step.
        if (chunked.Capacity() > 2 * fed.size() + 2 * kSocketBufferStep) std::abort();
    }
    if (verdict != FrameReceiver::ScanResult::kNeedMore && chunked.Count() != 0) std::abort();

    FrameReceiver whole;
    Frames wholeFrames;
    const auto wholeVerdict = Feed(whole, fed.data(), fed.size(), wholeFrames, false);
    if (wholeVerdict != verdict || wholeFrames != chunkedFrames || whole.Count() != chunked.Count()) {
        std::abort();
    }
    return 0;
}
