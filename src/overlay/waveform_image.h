// The music's waveform over a plot as one picture: its columns are worked out into a texture only
// when what it shows changes (the peaks, the stretch of time, the plot's size in pixels), and each
// frame draws that texture as a single quad: the software rasteriser sets up two triangles a frame
// instead of two for every column of pixels.
#pragma once

#include <optional>
#include <vector>

#include "interchange/music_peaks.h"

struct ImDrawList;
struct ImVec2;

namespace quor::overlay {

// The waveform of `peaks` from `from` to `to` seconds as `height` rows of `width` columns, the top
// row first: each column covers its share of the time, and its texels are 255 from its highest
// peak down to its lowest (the plot's middle is silence, its top and bottom edges full scale) and
// 0 elsewhere. Columns outside the music stay 0. Fills `texels` (its old contents are dropped).
void waveform_texels(const interchange::music_peaks& peaks, double from, double to, int width, int height,
                     std::vector<unsigned char>& texels);

class waveform_image {
public:
    waveform_image() = default;
    waveform_image(const waveform_image&) = delete;
    waveform_image& operator=(const waveform_image&) = delete;
    // Gives the texture back; the workbench's context is current while its panels go.
    ~waveform_image();

    // The waveform of `peaks` (whose content `version` names: another version, other peaks) from
    // `from` to `to` over a plot of `size` at `origin`, in `colour`. Worked out again only when
    // the version, the stretch or the whole pixels of the size differ from the last time.
    void draw(ImDrawList* list, const interchange::music_peaks& peaks, unsigned version, const ImVec2& origin,
              const ImVec2& size, double from, double to, unsigned colour);

private:
    struct shown_key {
        unsigned version;
        double from, to;
        int width, height;
        bool operator==(const shown_key&) const = default;
    };
    std::optional<shown_key> shown;
    unsigned texture = 0;
    std::vector<unsigned char> texels;
};

} // namespace quor::overlay
