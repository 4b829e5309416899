// A render device built behind a call recorder, with the device's own start-up calls cleared,
// so that a test sees only the calls of the code under test.
#pragma once

#include "app/render_device.h"
#include "gl_recorder.h"

namespace quor::test {

struct recorded_device {
    gl_recorder rec;
    gl::render_device dev;
    recorded_device() { rec.clear(); }
};

} // namespace quor::test
