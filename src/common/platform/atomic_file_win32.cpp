// WriteFileAtomically over CreateFileW, FlushFileBuffers and MoveFileExW.
#include "common/platform/atomic_file_win32.h"

#include <windows.h>

#include <algorithm>

namespace tesmora {

namespace {

// WriteFile takes a 32-bit length; a large file goes in pieces.
constexpr size_t kLargestPiece = size_t{1} << 24;

bool WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min(bytes.size(), kLargestPiece));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), piece, &written, nullptr) || written != piece) return false;
        bytes = bytes.subspan(piece);
    }
    return true;
}

}  // namespace

FileWriteResult WriteFileAtomically(const std::wstring& path, std::span<const uint8_t> bytes) {
    const std::wstring temporary = path + L".part";
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FileWriteResult::kNotCreated;
    bool written = WriteAll(file, bytes);
    written = ::FlushFileBuffers(file) && written;
    written = ::CloseHandle(file) && written;
    if (!written) {
        ::DeleteFileW(temporary.c_str());
        return FileWriteResult::kNotWritten;
    }
    if (!::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temporary.c_str());
        return FileWriteResult::kNotReplaced;
    }
    return FileWriteResult::kWritten;
}

}  // namespace tesmora
