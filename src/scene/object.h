// Scene objects: nodes that draw up to N render objects, in slot order, and hand them the
// animation frame.
#pragma once

#include <array>

#include <boost/shared_ptr.hpp>

#include "gl/render_object.h"
#include "scene/node.h"

namespace quor::scene {

template <int N, class Scalar, class T>
class object final : public node<Scalar, T> {
public:
    // Fills the next slot. Refused (false) when all N slots are taken or the pointer is null.
    bool add(boost::shared_ptr<gl::render_object_base> render_object)
    {
        if (count_ == N || !render_object)
            return false;
        render_objects_[count_++] = std::move(render_object);
        return true;
    }

    void set_frame(int frame)
    {
        for (int i = 0; i < count_; ++i)
            render_objects_[i]->set_frame(frame);
    }

    void draw(gl::render_device& device) override
    {
        for (int i = 0; i < count_; ++i)
            render_objects_[i]->draw(device);
    }

    int count() const { return count_; }
    const boost::shared_ptr<gl::render_object_base>& render_object(int i) const { return render_objects_[i]; }

private:
    std::array<boost::shared_ptr<gl::render_object_base>, N> render_objects_{};
    int count_ = 0;
};

} // namespace quor::scene
