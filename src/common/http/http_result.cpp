// Status line to result code (see http_result.h).
#include "common/http/http_result.h"

namespace tesmora {

int HttpResultForStatus(std::u16string_view statusText) {
    // Leading digits only; a status code never has more than three, so a long run cannot overflow.
    int status = 0;
    for (size_t i = 0; i < statusText.size() && i < 4; ++i) {
        const char16_t c = statusText[i];
        if (c < u'0' || c > u'9') break;
        status = status * 10 + (c - u'0');
    }
    if (status == 200) return kHttpOk;
    if (status == 301 || status == 302 || status == 303) return kHttpRedirected;
    return kHttpBadStatus;
}

}  // namespace tesmora
