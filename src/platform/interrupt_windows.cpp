// Console control events behind platform/interrupt.h: Ctrl-C counts as SIGINT, Ctrl-Break and
// the console's close as SIGTERM. The handler runs on a thread of its own that the system starts
// for the event; passing the event on (FALSE) lets the default handler end the process as the
// event would have.
#include "platform/interrupt.h"
#include "platform/wide_text_windows.h"

#include <windows.h>

#include <atomic>
#include <csignal>

namespace quor::platform {
namespace {

std::atomic<const char*> removal_path{nullptr};
std::atomic<bool> recording{false};
std::atomic<int> recorded{0};
std::atomic<bool> installed{false};

BOOL WINAPI on_control(DWORD event)
{
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    int none = 0;
    if (recording.load() && recorded.compare_exchange_strong(none, signal))
        return TRUE;
    // The file was created shared for deletion: it goes once its writer's handle closes, at the
    // latest when the process ends.
    if (const char* path = removal_path.load())
        DeleteFileW(utf16(path).c_str());
    return FALSE;
}

void install()
{
    if (!installed.exchange(true))
        SetConsoleCtrlHandler(on_control, TRUE);
}

} // namespace

void remove_on_interruption(const char* path)
{
    removal_path.store(path);
    if (path)
        install();
}

void record_interruptions()
{
    recording.store(true);
    install();
}

int interruption() { return recorded.load(); }

} // namespace quor::platform
