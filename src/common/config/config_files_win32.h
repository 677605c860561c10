// The remote's INI files beside the program, config.ini and setting.ini: made ready once per use
// (created, or rewritten as UTF-16LE with a mark so the private-profile functions keep non-ASCII
// text), then read and written through the private-profile functions. UI thread only.
#pragma once

#include <string>

#include "common/config/config_keys.h"

namespace tesmora {

enum class IniPrepareResult {
    Created,       // the file was missing and now holds [default]
    AlreadyReady,  // UTF-16LE with a mark: nothing to do
    Converted,     // the old file is the backup, the file now holds its text as UTF-16LE
    Unreadable,    // left as it is
    NotMoved,      // no backup name could be taken; left in its old encoding
    WriteFailed,   // moved aside, but the new file holds only [default]; the backup keeps the text
};

// Makes <folder>\<file name> ready, remembers its full path as the process-wide path of `file` and
// makes `folder` the current directory. The one-argument form uses the program's folder.
IniPrepareResult PrepareIniFile(IniFile file);
IniPrepareResult PrepareIniFile(IniFile file, const std::wstring& folder);

// The full path remembered by the last preparation of `file`; empty before it.
const std::wstring& IniFilePath(IniFile file);

// The value of `key` in `section` of the file at `path`, cut at 29999 characters; `fallback` when
// missing, and without touching any file when `section` or `path` is empty.
std::wstring ReadIniString(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                           const std::wstring& fallback);

// Stores `value` under `key` in `section` of setting.ini. Nothing happens when `section` is empty
// or setting.ini has not been prepared. False when nothing was stored.
bool WriteSettingString(const std::wstring& section, const std::wstring& key, const std::wstring& value);

// Creates the file at `path` holding only [default] when it does not exist. True when it exists
// afterwards.
bool CreateIniIfMissing(const std::wstring& path);

}  // namespace tesmora
