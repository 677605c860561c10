// Test helpers: a fresh folder under the prefix's C: drive and a private registry key under
// HKEY_CURRENT_USER\Software\TesmoraOrluTest, both removed when the test ends; whole-file I/O.
// Test thread.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::wstring UniqueSuffix() {
    static LONG counter = 0;
    return std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(InterlockedIncrement(&counter));
}

class TempFolder {
public:
    TempFolder()
        : path_((std::filesystem::temp_directory_path() / (L"TesmoraOrluTest_" + UniqueSuffix())).wstring()) {
        std::filesystem::create_directory(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

class TestRegistryKey {
public:
    TestRegistryKey() : path_(L"Software\\TesmoraOrluTest\\" + UniqueSuffix()) {}
    ~TestRegistryKey() {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER,
                      L"Software\\TesmoraOrluTest");  // only when no other test's key is left
    }
    TestRegistryKey(const TestRegistryKey&) = delete;
    TestRegistryKey& operator=(const TestRegistryKey&) = delete;

    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

inline std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
