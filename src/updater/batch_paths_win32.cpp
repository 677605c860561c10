// Paths the self-replacement batch can name (see batch_paths_win32.h). Updater's UI thread.
#include "updater/batch_paths_win32.h"

#include <vector>

#include "common/platform/wide_text_win32.h"
#include "updater/update_rules.h"

namespace tesmora {

std::optional<std::string> EncodeExactly(const std::wstring& text, UINT codePage) {
    if (text.empty()) return std::string();
    const int length = int(text.size());
    const int bytes = ::WideCharToMultiByte(codePage, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::nullopt;
    std::string encoded(size_t(bytes), '\0');
    ::WideCharToMultiByte(codePage, 0, text.c_str(), length, encoded.data(), bytes, nullptr, nullptr);
    // A round trip catches both the default character and the "best fit" (é written as e), which
    // would name another file or none.
    const int back = ::MultiByteToWideChar(codePage, 0, encoded.data(), bytes, nullptr, 0);
    if (back != length) return std::nullopt;
    std::wstring decoded(size_t(back), L'\0');
    ::MultiByteToWideChar(codePage, 0, encoded.data(), bytes, decoded.data(), back);
    if (decoded != text) return std::nullopt;
    return encoded;
}

std::optional<std::wstring> PathForBatch(const std::wstring& path, UINT codePage) {
    if (EncodeExactly(path, codePage)) return path;
    const DWORD needed = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::vector<wchar_t> buffer(needed + 1);
    const DWORD got = ::GetShortPathNameW(path.c_str(), buffer.data(), DWORD(buffer.size()));
    if (got == 0 || got >= buffer.size()) return std::nullopt;
    std::wstring shortPath(buffer.data(), got);
    if (!EncodeExactly(shortPath, codePage)) return std::nullopt;
    return shortPath;
}

std::optional<std::string> SelfReplaceBatchBytes(const std::wstring& folder, const std::wstring& staged,
                                                 UINT codePage) {
    const std::optional<std::wstring> batchFolder = PathForBatch(folder, codePage);
    const std::optional<std::wstring> batchStaged = PathForBatch(staged, codePage);
    if (!batchFolder || !batchStaged) return std::nullopt;
    return EncodeExactly(ToWide(SelfReplaceBatchText(ToU16(*batchFolder), ToU16(*batchStaged))), codePage);
}

}  // namespace tesmora
