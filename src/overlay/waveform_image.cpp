// An alpha texture, tinted by the quad's colour through ImGui's modulating texture stage: the
// colour is not part of the picture, so changing it costs nothing. Nearest sampling on a quad of
// whole pixels puts each texel on its own pixel. Uploads happen while the panels are built,
// inside the overlay's GL state guard, which puts the demo's binding and pixel store back.
#include "overlay/waveform_image.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "gl/api.h"

namespace quor::overlay {

void waveform_texels(const interchange::music_peaks& peaks, double from, double to, int width, int height,
                     std::vector<unsigned char>& texels)
{
    texels.assign(static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0)), 0);
    if (width <= 0 || height <= 0 || !(to > from))
        return;
    const auto count = static_cast<std::ptrdiff_t>(std::min(peaks.low.size(), peaks.high.size()));
    const double per_column = (to - from) / width * interchange::peaks_per_second;
    const double half = height / 2.0;
    for (int x = 0; x < width; ++x) {
        const double first = from * interchange::peaks_per_second + x * per_column;
        if (first + per_column <= 0)
            continue;
        // At least one peak a column, however far the time is stretched.
        const auto a = std::clamp<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(std::floor(first)), 0, count);
        const auto b = std::clamp<std::ptrdiff_t>(
            std::max(static_cast<std::ptrdiff_t>(std::floor(first + per_column)), a + 1), 0, count);
        if (a >= b)
            continue;
        const double lo = *std::min_element(peaks.low.begin() + a, peaks.low.begin() + b);
        const double hi = *std::max_element(peaks.high.begin() + a, peaks.high.begin() + b);
        // The rows whose centres lie from the highest peak to a pixel below the lowest.
        const double top = half - hi * half, bottom = half - lo * half + 1;
        const int row_from = std::clamp(static_cast<int>(std::ceil(top - 0.5)), 0, height);
        const int row_to = std::clamp(static_cast<int>(std::ceil(bottom - 0.5)), 0, height);
        for (int y = row_from; y < row_to; ++y)
            texels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = 255;
    }
}

waveform_image::~waveform_image()
{
    if (texture)
        gl::api.DeleteTextures(1, &texture);
}

void waveform_image::draw(ImDrawList* list, const interchange::music_peaks& peaks, unsigned version,
                          const ImVec2& origin, const ImVec2& size, double from, double to, unsigned colour)
{
    const int width = static_cast<int>(size.x), height = static_cast<int>(size.y);
    if (width <= 0 || height <= 0 || !(to > from) || peaks.low.empty())
        return;
    const shown_key wanted{version, from, to, width, height};
    if (shown != wanted) {
        waveform_texels(peaks, from, to, width, height, texels);
        if (!texture)
            gl::api.GenTextures(1, &texture);
        gl::api.BindTexture(GL_TEXTURE_2D, texture);
        gl::api.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl::api.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        gl::api.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
        gl::api.TexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, width, height, 0, GL_ALPHA, GL_UNSIGNED_BYTE, texels.data());
        shown = wanted;
    }
    list->AddImage(reinterpret_cast<ImTextureID>(static_cast<std::intptr_t>(texture)), origin,
                   ImVec2(origin.x + static_cast<float>(width), origin.y + static_cast<float>(height)), ImVec2(0, 0),
                   ImVec2(1, 1), colour);
}

} // namespace quor::overlay
