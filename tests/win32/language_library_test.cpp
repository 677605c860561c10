// The language libraries against the remote's own (Korean) resources: every string of the program is in
// each library, translated (not left Korean) and with the same printf conversions; every dialog,
// picture, icon, cursor and animation the program loads by id is there too, and each dialog keeps the
// program's controls, since the program finds them by id whichever module supplied the template.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/platform/module_folder_win32.h"
#include "resource.h"

using namespace tesmora;

namespace {

// Strings that name something no translation changes.
const std::set<UINT> kSameInEveryLanguage = {IDS_TITLE_FONT};

const wchar_t* const kLanguages[] = {L"Eng", L"Japan"};

// Resource modules mapped for their resources only, as the program maps its language library.
class ResourceFile {
public:
    explicit ResourceFile(const std::wstring& path)
        : module_(::LoadLibraryExW(path.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ResourceFile() {
        if (module_) ::FreeLibrary(module_);
    }
    ResourceFile(const ResourceFile&) = delete;
    ResourceFile& operator=(const ResourceFile&) = delete;
    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

// The build's program folder, given relative to this test's folder with forward slashes.
std::wstring BinaryFolder() {
    std::string relative = TESMORA_BIN_FROM_TESTS;
    std::wstring folder = GetModuleFolder() + L"\\";
    for (char c : relative) folder += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return folder;
}

std::wstring ProgramPath() {
    return BinaryFolder() + L"\\TesmoraOrluRemocon.exe";
}

std::wstring LibraryPath(const std::wstring& language) {
    return BinaryFolder() + L"\\language\\TesmoraOrluRemocon" + language + L".dll";
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR context) {
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::set<UINT>*>(context)->insert(
            static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    }
    return TRUE;
}

std::set<UINT> ResourceIds(HMODULE module, LPCWSTR type) {
    std::set<UINT> ids;
    ::EnumResourceNamesW(module, type, CollectName, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

// Every non-empty string of a module: string tables are blocks of 16 counted strings, block b holding
// the ids (b - 1) * 16 to (b - 1) * 16 + 15.
std::map<UINT, std::wstring> Strings(HMODULE module) {
    std::map<UINT, std::wstring> strings;
    for (UINT block : ResourceIds(module, RT_STRING)) {
        HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(block), RT_STRING);
        if (!found) continue;
        DWORD size = ::SizeofResource(module, found);
        auto* data = static_cast<const WCHAR*>(::LockResource(::LoadResource(module, found)));
        const WCHAR* end = data + size / sizeof(WCHAR);
        for (UINT index = 0; index < 16 && data < end; ++index) {
            UINT length = *data++;
            if (length > static_cast<UINT>(end - data)) break;
            if (length > 0) strings[(block - 1) * 16 + index] = std::wstring(data, length);
            data += length;
        }
    }
    return strings;
}

// The printf conversions of a text in order ("%s", "%d", ...); "%%" is no conversion.
std::vector<std::wstring> Conversions(const std::wstring& text) {
    std::vector<std::wstring> found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'%') continue;
        if (text[i + 1] == L'%') {
            ++i;
            continue;
        }
        size_t end = text.find_first_of(L"diouxXeEfgGcsSp", i + 1);
        if (end == std::wstring::npos) break;
        found.push_back(text.substr(i, end - i + 1));
        i = end;
    }
    return found;
}

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The control ids of a dialog template, in template order (the dialog is made hidden and destroyed).
std::vector<int> ControlIds(HMODULE module, UINT dialog) {
    std::vector<int> ids;
    HWND window = ::CreateDialogParamW(module, MAKEINTRESOURCEW(dialog), nullptr, NoDialogProc, 0);
    if (!window) return ids;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ids.push_back(::GetDlgCtrlID(child));
    }
    ::DestroyWindow(window);
    return ids;
}

class LanguageLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(program_.Get(), nullptr)
            << "missing " << std::string(ProgramPath().begin(), ProgramPath().end());
        korean_ = Strings(program_.Get());
        ASSERT_GT(korean_.size(), 40u);
    }

    ResourceFile program_{ProgramPath()};
    std::map<UINT, std::wstring> korean_;
};

TEST_F(LanguageLibraryTest, EveryStringIsTranslatedWithTheSameConversions) {
    for (const wchar_t* language : kLanguages) {
        SCOPED_TRACE(std::string(language, language + wcslen(language)));
        ResourceFile library(LibraryPath(language));
        ASSERT_NE(library.Get(), nullptr);
        std::map<UINT, std::wstring> translated = Strings(library.Get());
        for (const auto& [id, text] : korean_) {
            auto it = translated.find(id);
            if (it == translated.end()) {
                ADD_FAILURE() << "string " << id << " is missing";
                continue;
            }
            if (kSameInEveryLanguage.count(id)) {
                EXPECT_EQ(it->second, text) << "string " << id;
            } else {
                EXPECT_NE(it->second, text) << "string " << id << " is not translated";
            }
            EXPECT_EQ(Conversions(it->second), Conversions(text)) << "string " << id;
        }
        for (const auto& entry : translated) {
            EXPECT_TRUE(korean_.count(entry.first)) << "string " << entry.first << " is not the program's";
        }
    }
}

TEST_F(LanguageLibraryTest, EveryDialogPictureAndAnimationIsThereWithTheSameControls) {
    const LPCWSTR types[] = {RT_DIALOG, RT_BITMAP, RT_GROUP_ICON, RT_GROUP_CURSOR, L"GIF", L"BIN_PNG"};
    for (const wchar_t* language : kLanguages) {
        SCOPED_TRACE(std::string(language, language + wcslen(language)));
        ResourceFile library(LibraryPath(language));
        ASSERT_NE(library.Get(), nullptr);
        for (LPCWSTR type : types) {
            std::set<UINT> ours = ResourceIds(program_.Get(), type);
            EXPECT_FALSE(ours.empty());
            std::set<UINT> theirs = ResourceIds(library.Get(), type);
            for (UINT id : ours) EXPECT_TRUE(theirs.count(id)) << "resource " << id << " is missing";
        }
        for (UINT dialog : ResourceIds(program_.Get(), RT_DIALOG)) {
            std::vector<int> ours = ControlIds(program_.Get(), dialog);
            EXPECT_FALSE(ours.empty()) << "dialog " << dialog;
            EXPECT_EQ(ControlIds(library.Get(), dialog), ours) << "dialog " << dialog;
        }
    }
}

}  // namespace
