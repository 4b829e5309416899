// A stand-in for OpenGL behind the seam: while alive, every GL call of the engine is recorded
// by name and arguments, in order, so tests can compare exact call streams without a display.
#pragma once

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "gl/api.h"

namespace quor::test {

struct gl_call {
    std::string name;
    // Scalars as they were passed; pointed-to floats (matrices, light vectors) follow inline;
    // a data pointer is recorded as its address.
    std::vector<double> args;

    gl_call(std::string n, std::initializer_list<double> a = {}) : name(std::move(n)), args(a) {}
    gl_call(std::string n, std::vector<double> a) : name(std::move(n)), args(std::move(a)) {}
    bool operator==(const gl_call&) const = default;
};

std::ostream& operator<<(std::ostream& os, const gl_call& call);

class gl_recorder {
public:
    // Installs the recorder as the seam's table; the destructor puts the previous table back.
    gl_recorder();
    ~gl_recorder();
    gl_recorder(const gl_recorder&) = delete;
    gl_recorder& operator=(const gl_recorder&) = delete;

    std::vector<gl_call> calls;
    // Names handed out by glGenTextures; set `generate_names` false to leave the caller's value.
    unsigned next_texture_name = 1;
    bool generate_names = true;

    void clear() { calls.clear(); }
    // Calls with the given name, in order.
    std::vector<gl_call> named(const std::string& name) const;

private:
    gl::api_table previous_;
};

// A table whose every entry does nothing: the engine's own cost with GL taken away.
gl::api_table null_api();

} // namespace quor::test
