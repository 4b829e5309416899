// Index sources: triangle lists (three indices per triangle) over memory owned elsewhere.
// Indices are relative to the start of the frame drawn, so one list serves every frame.
#pragma once

namespace quor::gl {

class index_buffer {
public:
    // Kept for the interface, like the vertex buffer's: nothing calls it.
    virtual void prepare(int) {}
    virtual const unsigned* data() const = 0;
    unsigned count() const { return count_; }

protected:
    explicit index_buffer(unsigned count) : count_(count) {}
    // Not virtual: buffers are destroyed through a shared pointer made from the concrete type.
    ~index_buffer() = default;

private:
    unsigned count_;
};

template <class Index>
class ref_index_buffer;

// `count` unsigned 32-bit indices at `indices`; the memory must outlive the buffer.
template <>
class ref_index_buffer<unsigned> final : public index_buffer {
public:
    ref_index_buffer(const unsigned* indices, unsigned count) : index_buffer(count), indices_(indices) {}

    const unsigned* data() const override { return indices_; }

private:
    const unsigned* indices_;
};

} // namespace quor::gl
