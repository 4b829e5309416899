// The names of the termination requests, the same on every system: C numbers them alike.
#include "platform/interrupt.h"

#include <csignal>
#include <cstdio>

namespace quor::platform {

const char* signal_name(int signal)
{
    if (signal == SIGINT)
        return "SIGINT";
    if (signal == SIGTERM)
        return "SIGTERM";
    static thread_local char text[24];
    std::snprintf(text, sizeof text, "signal %d", signal);
    return text;
}

} // namespace quor::platform
