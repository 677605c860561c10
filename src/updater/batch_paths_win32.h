// The self-replacement batch as cmd will read it. cmd reads a batch file in the console's code page
// (the OEM one), so every path in it must survive that conversion: the long path when it does, the
// file system's short name when only that does, and no batch at all when neither does (the updater
// then goes on without replacing itself). UI thread of the updater (any thread would do).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tesmora {

// `text` in `codePage`, or nothing when a character would not come back unchanged.
std::optional<std::string> EncodeExactly(const std::wstring& text, UINT codePage);
// A path of an existing file or folder that a batch written in `codePage` can name: the path itself,
// else its short form, else nothing.
std::optional<std::wstring> PathForBatch(const std::wstring& path, UINT codePage);
// The batch's bytes for the updater folder `folder` and the staged updater `staged`, or nothing when
// one of them has no path the batch can name.
std::optional<std::string> SelfReplaceBatchBytes(const std::wstring& folder, const std::wstring& staged,
                                                 UINT codePage);

}  // namespace tesmora
