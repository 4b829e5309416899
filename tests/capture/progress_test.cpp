// The capture's progress: one rewritten line on a terminal, plain lines in a log.
#include <gtest/gtest.h>

#include <sstream>

#include "capture/progress.h"

namespace {

TEST(Progress, OneRewrittenLineOnATerminalAndPlainLinesInALog)
{
    std::ostringstream terminal, log;
    quor::capture::progress on_terminal(terminal, 100, true), in_log(log, 100, false);
    for (std::uint64_t f = 1; f <= 5; ++f) {
        on_terminal.frame(f, f / 60.0);
        in_log.frame(f, f / 60.0);
    }
    EXPECT_EQ(terminal.str(), "") << "nothing before the first interval has passed";
    EXPECT_EQ(log.str(), "");
    on_terminal.done(5, 5 / 60.0);
    in_log.done(5, 5 / 60.0);
    EXPECT_EQ(terminal.str().rfind("\rframe 5  demo time   0.08 s", 0), 0u) << terminal.str();
    EXPECT_EQ(terminal.str().back(), '\n');
    EXPECT_EQ(log.str().rfind("frame 5  demo time   0.08 s", 0), 0u) << log.str();
    EXPECT_EQ(log.str().find('\r'), std::string::npos);
    EXPECT_EQ(quor::capture::progress::line(30, 1891, 0.5, 61.04, 75.4),
              "frame 30/1891  demo time   0.50 s    61.0 fps  1:15 left");
}

} // namespace
