// Keeps the demo's OpenGL state out of the overlay's reach and the overlay's out of the demo's:
// saves everything on construction, leaves a plain state for ImGui's OpenGL 2 renderer (one
// texture unit, no texture generation, no alpha test or fog, additive blending), and restores
// everything on destruction, so the next frame of the demo starts from its own state.
#pragma once

namespace quor::overlay {

class gl_state_guard {
public:
    gl_state_guard();
    ~gl_state_guard();
    gl_state_guard(const gl_state_guard&) = delete;
    gl_state_guard& operator=(const gl_state_guard&) = delete;

private:
    int active_texture = 0;
    int client_active_texture = 0;
};

} // namespace quor::overlay
