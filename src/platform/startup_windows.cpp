// The command line from GetCommandLineW, split as the C runtime splits it, in UTF-8: the runtime's
// own argv is in the ANSI code page, which has no letters for most of the world's names. A program
// of the windowed subsystem starts without a console: when started from one it takes its parent's
// (AttachConsole), unless its streams were redirected, which it keeps; started from the desktop
// it shows what the user must read in a message box.
#include "platform/startup.h"
#include "platform/wide_text_windows.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>

namespace quor::platform {

namespace {

// A handle that leads somewhere: a console, a file or a pipe.
bool leads_somewhere(DWORD which)
{
    const HANDLE h = GetStdHandle(which);
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

} // namespace

std::vector<std::string> utf8_arguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return {argv, argv + argc};
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
        out.push_back(utf8(wide[i]));
    LocalFree(wide);
    return out;
}

// Attached even when both streams are redirected: a Ctrl-C in the console that started the program
// then reaches it, as it reaches a console program.
bool connect_standard_streams()
{
    const bool out = leads_somewhere(STD_OUTPUT_HANDLE);
    const bool err = leads_somewhere(STD_ERROR_HANDLE);
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return out || err;
    // The runtime's streams were set up before there was a console: point them at it.
    if (!out)
        std::freopen("CONOUT$", "w", stdout);
    if (!err)
        std::freopen("CONOUT$", "w", stderr);
    return true;
}

void show_message(const std::string& title, const std::string& text)
{
    MessageBoxW(nullptr, utf16(text.c_str()).c_str(), utf16(title.c_str()).c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

} // namespace quor::platform
