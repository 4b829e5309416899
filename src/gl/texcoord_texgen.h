// Texture-coordinate generation sub-state of a material. The data's coordinates are used as
// they come, so applying it sets nothing; the parameters are kept for the data's sake.
#pragma once

#include "gl/state.h"

namespace quor::gl {

class texcoord_texgen final : public state {
public:
    texcoord_texgen(int param1, int param2) : param1_(param1), param2_(param2) {}

    void apply(render_device&) override {}
    int param1() const { return param1_; }
    int param2() const { return param2_; }

private:
    int param1_;
    int param2_;
};

} // namespace quor::gl
