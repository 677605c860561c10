// Benchmarks of the text clean-up of outside data, native, single thread: the login server's
// "teacher program is not running" message with its phrases taken out, and a relay-lookup reply line
// with its key taken out, each beside a plain copy of the same text (the baseline) and beside the
// former clean-up that shifted the rest of the text along for every occurrence. Sizes are those a
// peer can send: 100,000 to 400,000 characters.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "login/relay_reply.h"
#include "session/server_message.h"

using namespace tesmora;

namespace {

constexpr std::u16string_view kPrefix = u"실행중인 ";
constexpr std::u16string_view kEnding = u"가 없습니다.\n선생님 ID를 확인해주세요.";
constexpr std::u16string_view kKey = u"rsport:";

// A message of `characters` characters, half of it the phrase before the name, half the ending.
std::u16string NotRunningFlood(size_t characters) {
    std::u16string text;
    while (text.size() < characters / 2) text += kPrefix;
    text += u"Teacher";
    while (text.size() < characters) text += kEnding;
    return text;
}

// A reply whose port line is its key repeated to `characters` characters.
std::u16string KeyFlood(size_t characters) {
    std::u16string line;
    while (line.size() < characters) line += kKey;
    return u"result:true\n" + line + u"8080";
}

// The clean-up as it was: each occurrence erased, so the rest of the text moves along each time.
void ErasingRemoveAll(std::u16string& text, std::u16string_view piece) {
    for (size_t at = text.find(piece); at != std::u16string::npos; at = text.find(piece, at)) {
        text.erase(at, piece.size());
    }
}

const auto kLoad = [](int) { return std::u16string(u"%s"); };

void BM_ServerMessageCopy(benchmark::State& state) {
    const std::u16string text = NotRunningFlood(size_t(state.range(0)));
    for (auto _ : state) {
        std::u16string copy(text);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(text.size()));
}

void BM_ServerMessageTranslate(benchmark::State& state) {
    const std::u16string text = NotRunningFlood(size_t(state.range(0)));
    for (auto _ : state) {
        std::u16string shown = TranslateServerMessage(text, u"Eng", kLoad);
        benchmark::DoNotOptimize(shown.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(text.size()));
}

void BM_ServerMessageErasing(benchmark::State& state) {
    const std::u16string text = NotRunningFlood(size_t(state.range(0)));
    for (auto _ : state) {
        std::u16string name(text);
        ErasingRemoveAll(name, kPrefix);
        ErasingRemoveAll(name, kEnding);
        benchmark::DoNotOptimize(name.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(text.size()));
}

void BM_RelayReplyCopy(benchmark::State& state) {
    const std::u16string text = KeyFlood(size_t(state.range(0)));
    for (auto _ : state) {
        std::u16string copy(text);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(text.size()));
}

void BM_RelayReplyParse(benchmark::State& state) {
    const std::u16string text = KeyFlood(size_t(state.range(0)));
    for (auto _ : state) {
        LookupAnswer answer = ParseLookupReply(text, nullptr);
        benchmark::DoNotOptimize(answer.relayPort.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(text.size()));
}

void BM_RelayReplyErasing(benchmark::State& state) {
    const std::u16string text = KeyFlood(size_t(state.range(0)));
    for (auto _ : state) {
        std::u16string line(text);
        ErasingRemoveAll(line, kKey);
        benchmark::DoNotOptimize(line.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(text.size()));
}

}  // namespace

BENCHMARK(BM_ServerMessageCopy)->Arg(400000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ServerMessageTranslate)->Arg(100000)->Arg(400000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ServerMessageErasing)->Arg(100000)->Arg(400000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RelayReplyCopy)->Arg(200000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RelayReplyParse)->Arg(100000)->Arg(200000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RelayReplyErasing)->Arg(100000)->Arg(200000)->Unit(benchmark::kMicrosecond);
