// Fuzz target: any query text as the simulated classroom's web services read it: the relay lookup's
// val1/val2/val3 with percent decoding and the val2 check in each code page it knows, and the update
// service's three endpoints with their query values. The first byte picks the lookup's code page and
// whether val2 is checked; the rest is the query.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/event_log.h"
#include "core/lookup_responder.h"
#include "core/lookup_rule.h"
#include "core/scenario.h"
#include "core/update_responder.h"

using namespace tesmora::classroom;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const int kCodePages[] = {1252, 949, 932, 65001};
    Scenario scenario;
    scenario.lookup.codePage = kCodePages[data[0] % 4];
    scenario.lookup.checkVal2 = (data[0] & 4) != 0;
    const std::string_view query(reinterpret_cast<const char*>(data + 1), size - 1);

    // Decoding never grows the text.
    if (PercentDecode(query).size() > query.size()) std::abort();
    const LookupQuery parsed = ParseLookupQuery(query);
    if (parsed.val1 && parsed.val3) ExpectedVal2(*parsed.val1, *parsed.val3, scenario.lookup.codePage);
    Event lookup("lookup", 1, "request");
    LookupResponder(scenario, "127.0.0.1", 10240).Answer(query, lookup);

    // No release folder: every answer is decided from the query alone, nothing is read from disk.
    UpdateResponder update(scenario.update, "127.0.0.1", 8080);
    for (const char* path : {kUpdateServerCheckPath, kUpdateFileListPath, kUpdateDownloadPath}) {
        Event event("update", 1, "request");
        update.Answer(path, query, event);
    }
    const std::string value = QueryValue(query, "releaseversion");
    if (value.size() > query.size()) std::abort();
    return 0;
}
