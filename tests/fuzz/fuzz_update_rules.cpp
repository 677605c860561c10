// Fuzz target: the updater's rules over a "file:" line of the service and the facts of a file on
// disk: the size and version read from the line, "out of date", the version order and the verdict
// on a download. Beyond the sanitizers it holds the rules to each other: the version order is a
// strict order; a file with the listed version, or of the listed size for a file without one, is up
// to date; and a download judged whole for a listed size leaves a file that is then up to date (or
// the updater would fetch it again on every start).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "updater/update_rules.h"

using namespace tesmora;

namespace {

std::u16string TakeText(FuzzedDataProvider& input) {
    const std::string bytes = input.ConsumeRandomLengthString(400);
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(char16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::u16string line = TakeText(input);
    const std::u16string installed = TakeText(input);
    const bool noVersion = input.ConsumeBool();
    const uint64_t fileSize = input.ConsumeIntegral<uint64_t>();
    const size_t body = input.ConsumeIntegralInRange<size_t>(0, 1u << 30);
    std::optional<uint64_t> announced;
    if (input.ConsumeBool()) announced = input.ConsumeIntegral<uint64_t>();
    const bool endedCleanly = input.ConsumeBool();

    if (IsVersionGreater(line, line)) std::abort();
    if (IsVersionGreater(line, installed) && IsVersionGreater(installed, line)) std::abort();

    std::optional<UpdateFileEntry> entry = ParseFileLine(line);
    if (!entry) return 0;
    IsEntryInsideFolder(*entry);
    if (noVersion) entry->version = std::u16string(kNoVersion);
    IsFileOutdated(*entry, FileFacts{fileSize, installed});

    const std::optional<uint64_t> listed = EntrySizeBytes(*entry);
    if (entry->version == kNoVersion) {
        if (listed && IsFileOutdated(*entry, FileFacts{*listed, u""})) std::abort();
        const std::optional<uint64_t> wanted = listed;
        const DownloadVerdict verdict = JudgeDownload(body, announced, wanted, endedCleanly);
        if (verdict == DownloadVerdict::kComplete && listed && IsFileOutdated(*entry, FileFacts{body, u""})) {
            std::abort();
        }
        // A body of unknown length that broke off is never taken for a whole file.
        if (verdict == DownloadVerdict::kComplete && !endedCleanly && !announced && !wanted) std::abort();
    } else {
        if (IsFileOutdated(*entry, FileFacts{fileSize, entry->version})) std::abort();
    }
    return 0;
}
