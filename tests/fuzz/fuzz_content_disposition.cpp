// Fuzz target: any text as a server's Content-Disposition header (and its status line). The file
// name must be a piece of the header, without ";" and without blanks at either end; the status must
// map to one of the three results.
#include <cstdlib>
#include <string>

#include "common/http/content_disposition.h"
#include "common/http/http_result.h"

using namespace tesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string header(size / 2, u'\0');
    for (size_t i = 0; i < header.size(); ++i) header[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));

    const std::u16string name = FileNameFromContentDisposition(header);
    if (!name.empty()) {
        if (header.find(u"filename=") == std::u16string::npos) std::abort();
        if (header.find(name) == std::u16string::npos) std::abort();
        if (name.find(u';') != std::u16string::npos) std::abort();
        if (name.front() == u' ' || name.back() == u' ' || name.front() == u'\t' || name.back() == u'\t') {
            std::abort();
        }
    }

    const int result = HttpResultForStatus(header);
    if (result != kHttpOk && result != kHttpBadStatus && result != kHttpRedirected) std::abort();
    return 0;
}
