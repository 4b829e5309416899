// The running executable's path from GetModuleFileNameW.
#include "platform/program.h"
#include "platform/wide_text_windows.h"

#include <windows.h>

#include <filesystem>

namespace quor::platform {

std::string program_folder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return utf8((std::filesystem::path(path).parent_path() / "").c_str());
}

} // namespace quor::platform
