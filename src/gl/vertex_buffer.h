// Vertex sources: typed views onto vertex memory owned elsewhere (the mesh data block).
// Memory is organised in frames of `count()` vertices; frame f starts at vertex f * count().
#pragma once

namespace quor::gl {

class vertex_buffer {
public:
    // Kept for the interface: a hook for back ends that stage vertices; nothing calls it, and
    // memory views would have nothing to do.
    virtual void prepare(int) = 0;
    virtual ~vertex_buffer() = default;
    // Vertices of one frame.
    virtual int count() const = 0;
    // First vertex of frame 0, in the layout of the concrete buffer.
    virtual const void* data() const = 0;
};

// Frames laid out one after another from `vertices`. Never copies, uploads or frees the memory,
// which must outlive the buffer.
template <class Vertex>
class orderedvertex_buffer final : public vertex_buffer {
public:
    orderedvertex_buffer(const Vertex* vertices, int count) : vertices_(vertices), count_(count) {}

    void prepare(int) override {}
    int count() const override { return count_; }
    const void* data() const override { return vertices_; }
    const Vertex* vertices() const { return vertices_; }

private:
    const Vertex* vertices_;
    int count_;
};

} // namespace quor::gl
