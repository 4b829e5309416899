// Signal handling behind platform/interrupt.h. The handler does only what is safe in a signal
// handler: it records the signal, or unlinks the registered file and re-raises the signal with
// its default action restored.
#include "platform/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace quor::platform {
namespace {

constexpr int termination_signals[] = {SIGINT, SIGTERM};

std::atomic<const char*> removal_path{nullptr};
std::atomic<bool> recording{false};
std::atomic<int> recorded{0};

extern "C" void on_termination(int signal)
{
    int none = 0;
    if (recording.load() && recorded.compare_exchange_strong(none, signal))
        return;
    if (const char* path = removal_path.load())
        unlink(path);
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigaction(signal, &fallback, nullptr);
    // Blocked while the handler runs: delivered, with its default action, when it returns.
    raise(signal);
}

struct sigaction previous[2];

void install(struct sigaction* saved)
{
    struct sigaction action = {};
    action.sa_handler = on_termination;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 2; ++i) {
        struct sigaction before;
        sigaction(termination_signals[i], nullptr, &before);
        if (saved)
            saved[i] = before;
        if (before.sa_handler != SIG_IGN)
            sigaction(termination_signals[i], &action, nullptr);
    }
}

} // namespace

void remove_on_interruption(const char* path)
{
    if (path) {
        removal_path.store(path);
        install(previous);
        return;
    }
    for (int i = 0; i < 2; ++i)
        sigaction(termination_signals[i], &previous[i], nullptr);
    removal_path.store(nullptr);
}

void record_interruptions()
{
    recording.store(true);
    install(nullptr);
}

int interruption() { return recorded.load(); }

} // namespace quor::platform
