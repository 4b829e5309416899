/* hold_open FILE READY [read|none]: holds FILE open as another Windows program would (an editor, a
 * player), sharing it for reading only ("read", the default: no writing, no deletion or rename
 * over it) or not at all ("none"), and says so by creating READY; lets it go when READY is
 * removed, or after a minute. Exit status 1 when FILE cannot be opened. */
#include <windows.h>
#include <shellapi.h>

int main(void)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3)
        return 2;
    const DWORD share = argc > 3 && lstrcmpW(argv[3], L"none") == 0 ? 0 : FILE_SHARE_READ;
    HANDLE held = CreateFileW(argv[1], GENERIC_READ, share, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (held == INVALID_HANDLE_VALUE)
        return 1;
    HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (ready == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(ready);
    for (int waited = 0; waited < 60000 && GetFileAttributesW(argv[2]) != INVALID_FILE_ATTRIBUTES; waited += 50)
        Sleep(50);
    CloseHandle(held);
    return 0;
}
