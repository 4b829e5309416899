// ImGui's life cycle around the panels: context and renderer once, then per frame the display
// size and time step, the panels, and the draw lists rendered under the state guard.
#include "overlay/overlay.h"

#include <imgui.h>

#include <imgui_impl_glut.h>
#include <imgui_impl_opengl2.h>

#include "overlay/gl_state_guard.h"
#include "overlay/key_edit.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace quor::overlay {
namespace {

// The keys as the window reports them: Ctrl with a letter is its place in the alphabet.
constexpr unsigned char ctrl_c = 3, ctrl_v = 22, delete_key = 127;

} // namespace

workbench_overlay::workbench_overlay()
{
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    // Window positions are not worth a file beside the data.
    io.IniFilename = nullptr;
    ImGui::StyleColorsDark();
    ImGuiStyle& style = ImGui::GetStyle();
    // A question leaves the picture as it is: nothing dims it.
    style.Colors[ImGuiCol_ModalWindowDimBg].w = 0;
    style.Colors[ImGuiCol_PopupBg].w = 1;
    // The panels' rectangles are square and on whole pixels: fringes for smooth edges would only
    // add triangles for the rasteriser to set up.
    style.AntiAliasedFill = false;
    ImGui_ImplGLUT_Init();
    gl_state_guard guard;
    ImGui_ImplOpenGL2_Init();
    // The font is drawn at its own size, pixel for pixel: nearest sampling looks the same as the
    // renderer's linear filter and costs the software rasteriser less for every pixel.
    ImGui_ImplOpenGL2_CreateFontsTexture();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(reinterpret_cast<std::intptr_t>(io.Fonts->TexID)));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

workbench_overlay::~workbench_overlay()
{
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplGLUT_Shutdown();
    ImGui::DestroyContext();
}

const layout& workbench_overlay::place(const edit::workbench& bench, int width, int height)
{
    window_width = width;
    window_height = height;
    places = arrange(width, height, !hidden || bench.reload_pending() || asked.quit || asked.copy || importing.open);
    return places;
}

void workbench_overlay::draw(edit::workbench& bench, float seconds) { draw_panels(bench, seconds); }

void workbench_overlay::draw_panels(edit::workbench& bench, float seconds)
{
    ImGuiIO& io = ImGui::GetIO();
    if (!places.panels()) {
        // No slider is held while the panels are away, and their input only keeps ImGui's state.
        bench.player().set_scrubbing(false);
        while (!queue.empty())
            queue.apply(io);
        return;
    }
    // After an undo, a redo or a reload the selected key's index may name another key.
    if (bench.history_moves() != moves_seen) {
        moves_seen = bench.history_moves();
        selected.key = -1, selected.keys.clear();
    }
    queue.apply(io);
    if (!asked.quit && !asked.copy && !importing.open && !bench.reload_pending())
        take_wheel(selected.view, io);
    // A new data file or an import may put a channel's curve anywhere: each is framed afresh.
    if (bench.reloads() != reloads_seen || watch.imports() != imports_seen) {
        reloads_seen = bench.reloads();
        imports_seen = watch.imports();
        selected.view.values.clear();
    }
    io.DisplaySize = ImVec2(static_cast<float>(window_width), static_cast<float>(window_height));
    io.DeltaTime = seconds > 0 ? seconds : 1.0f / 60;
    gl_state_guard guard;
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    bool scrubbing = false;
    draw_transport(bench, places.transport, asked, importing, watch, timing, scrubbing);
    draw_channels(bench, places.channels, selected, timing, scrubbing);
    bench.player().set_scrubbing(scrubbing);
    draw_reload_prompt(bench, places.transport);
    if (!bench.reload_pending()) {
        draw_questions(bench, places.transport, asked);
        draw_import(bench, places.channels, importing, watch);
    }
    ImGui::Render();
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
}

bool workbench_overlay::close_question()
{
    if (!asked.quit && !asked.copy && !importing.open)
        return false;
    asked.quit = asked.copy = asked.quit_after_copy = importing.open = false;
    return true;
}

bool workbench_overlay::escape(const edit::workbench& bench)
{
    if (close_question())
        return true;
    // The question about a new data file comes first: it has no "stay".
    if (bench.reload_pending())
        return true;
    asked.quit = bench.document().modified();
    return asked.quit;
}

bool workbench_overlay::may_close(const edit::workbench& bench)
{
    if (asked.quit || asked.copy || importing.open || bench.reload_pending())
        return false;
    asked.quit = bench.document().modified();
    return !asked.quit;
}

bool workbench_overlay::timing_key(edit::workbench& bench, unsigned char key)
{
    switch (key) {
    case ctrl_c:
        copy_picked(bench, selected);
        return true;
    case ctrl_v:
        paste_here(bench, selected);
        return true;
    case delete_key:
        delete_picked(bench, selected);
        return true;
    default:
        break;
    }
    if (curve_key(bench, selected, key))
        return true;
    if (key != ',' && key != '.')
        return overlay::timing_key(bench, timing, key);
    const std::vector<Key>& keys = bench.document().channel(selected.channel).keys;
    std::vector<double> times;
    for (const Key& k : keys)
        times.push_back(k.time);
    const double now = bench.player().time();
    const std::optional<double> to = key == '.' ? edit::next_time(times, now) : edit::previous_time(times, now);
    if (!to) {
        bench.set_status(key == '.' ? "no key after" : "no key before", false);
        return true;
    }
    bench.player().seek(*to);
    selected.key = static_cast<int>(std::find(times.begin(), times.end(), *to) - times.begin());
    selected.scroll_to_key = true;
    return true;
}

bool workbench_overlay::typing() const { return ImGui::GetIO().WantTextInput; }

bool workbench_overlay::wants_mouse() const { return ImGui::GetIO().WantCaptureMouse; }

} // namespace quor::overlay
