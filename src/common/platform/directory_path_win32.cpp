// CreateDirectoryPath over CreateDirectoryW, following the walk of directory_path.h.
#include "common/platform/directory_path_win32.h"

#include <windows.h>

#include <vector>

#include "common/platform/directory_path.h"
#include "common/platform/wide_text_win32.h"

namespace tesmora {

bool CreateDirectoryPath(const std::wstring& path) {
    std::vector<std::u16string> folders;
    if (!PlanDirectoryPath(ToU16(path), folders)) {
        return false;
    }
    for (const std::u16string& folder : folders) {
        CreateDirectoryW(ToWide(folder).c_str(), nullptr);
    }
    return true;
}

}  // namespace tesmora
