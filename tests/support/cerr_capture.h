// Collects what is written to std::cerr while alive, for tests of the one-line messages.
// Header-only, so that layers tested without the support library can use it too.
#pragma once

#include <iostream>
#include <sstream>
#include <string>

namespace quor::test {

class cerr_capture {
public:
    cerr_capture() : previous_(std::cerr.rdbuf(text_.rdbuf())) {}
    ~cerr_capture() { std::cerr.rdbuf(previous_); }
    cerr_capture(const cerr_capture&) = delete;
    cerr_capture& operator=(const cerr_capture&) = delete;

    std::string str() const { return text_.str(); }

private:
    std::ostringstream text_;
    std::streambuf* previous_;
};

} // namespace quor::test
