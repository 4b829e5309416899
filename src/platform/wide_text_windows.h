// Text between our UTF-8 and the wide (UTF-16) calls of Windows, for the Windows variants alone:
// the narrow calls read an ANSI code page, which cannot hold most of the world's names.
#pragma once

#include <windows.h>

#include <string>

namespace quor::platform {

inline std::wstring utf16(const char* text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return {};
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), length);
    out.pop_back();
    return out;
}

inline std::string utf8(const wchar_t* text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return {};
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
    out.pop_back();
    return out;
}

} // namespace quor::platform
