// Fuzz target: any text as the update service's reply (server check or file list) and as a server's
// file name. Every entry must have eight non-empty fields without quotes or commas; an entry accepted
// as inside the program folder must carry no drive, no rooted directory and no ".." component; a
// cleaned file name must hold no separator, drive colon or "..".
#include <cstdlib>
#include <string>

#include "common/http/content_disposition.h"
#include "updater/update_rules.h"

using namespace tesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string reply(size / 2, u'\0');
    for (size_t i = 0; i < reply.size(); ++i) reply[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));

    const auto lines = SplitReplyLines(reply);
    for (const auto& key : {u"result:", u"server:", u"port:"}) {
        if (auto value = FindReplyValue(lines, key); value && value->find(u'"') != std::u16string::npos)
            std::abort();
    }
    for (const UpdateFileEntry& entry : ParseFileList(reply)) {
        for (const std::u16string* field :
             {&entry.programKey, &entry.typeKey, &entry.targetName, &entry.directory, &entry.size,
              &entry.version, &entry.unused, &entry.stagingName}) {
            if (field->empty() || field->find_first_of(u"\",") != std::u16string::npos) std::abort();
        }
        if (IsEntryInsideFolder(entry)) {
            if (entry.directory.find(u':') != std::u16string::npos) std::abort();
            if (entry.directory.front() == u'\\' || entry.directory.front() == u'/') std::abort();
            if ((u"\\" + entry.directory + u"\\").find(u"\\..\\") != std::u16string::npos) std::abort();
            if (entry.targetName.find_first_of(u"\\/:") != std::u16string::npos) std::abort();
        }
        FileFacts facts{uint64_t(entry.size.size()), entry.version};
        IsFileOutdated(entry, facts);
    }
    const std::u16string name = CleanServerFileName(reply);
    if (name.find_first_of(u"\\/:") != std::u16string::npos || name == u".." || name == u".") std::abort();
    return 0;
}
