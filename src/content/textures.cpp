// Procedural painting of the five textures. Each is a function of the texture coordinates as
// the creature and the quad lay them out (see creature.cpp and stage.cpp), with shading baked
// in: light from above, glowing edges, and soft features that survive minification.
#include "content/textures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "content/easing.h"
#include "demo/data_layout.h"

namespace quor::content {
namespace {

constexpr float pi = 3.14159265358979f;

struct rgb {
    float r, g, b;
};
rgb operator+(rgb a, rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
rgb operator*(rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
rgb mix(rgb a, rgb b, float t) { return a * (1 - t) + b * t; }

float clamp01(float x) { return std::clamp(x, 0.0f, 1.0f); }
float gauss(float x, float width) { return std::exp(-(x * x) / (width * width)); }

// Lattice hash and value noise that repeats every `period` cells in x and y.
float lattice(int x, int y, int period_x, int period_y, std::uint32_t seed)
{
    x = ((x % period_x) + period_x) % period_x;
    y = ((y % period_y) + period_y) % period_y;
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xffffu) / 65535.0f;
}

float value_noise(float u, float v, int px, int py, std::uint32_t seed)
{
    const float x = u * px, y = v * py;
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    float fx = x - x0, fy = y - y0;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    const float a = lattice(x0, y0, px, py, seed), b = lattice(x0 + 1, y0, px, py, seed);
    const float c = lattice(x0, y0 + 1, px, py, seed), d = lattice(x0 + 1, y0 + 1, px, py, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

// Fractal sum of octaves, tileable over the unit square; about 0 to 1.
float fbm(float u, float v, int px, int py, int octaves, std::uint32_t seed)
{
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * value_noise(u, v, px << o, py << o, seed + o);
        norm += amp;
        amp *= 0.5f;
    }
    return sum / norm;
}

template <typename Paint>
image paint(int size, Paint p)
{
    image img;
    img.width = img.height = size;
    img.rgb.resize(static_cast<std::size_t>(size) * size * 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const rgb c = p((x + 0.5f) / size, (y + 0.5f) / size);
            float* t = img.at(x, y);
            t[0] = c.r;
            t[1] = c.g;
            t[2] = c.b;
        }
    return img;
}

// Bell: u around, v down the outside (0 to 0.5) and back up the inside (0.5 to 1).
rgb bell(float u, float v)
{
    const float angle = 2 * pi * u;
    const float veins = fbm(u, v, 16, 8, 4, 11);
    if (v < 0.5f) {
        const float s = v / 0.5f; // 0 at the apex, 1 at the lip
        rgb c = mix(rgb{0.78f, 0.93f, 1.0f}, rgb{0.07f, 0.3f, 0.72f}, std::pow(s, 0.8f));
        c = c * (0.85f + 0.3f * veins);
        const float rib = std::pow(0.5f + 0.5f * std::cos(2 * pi * 16 * u), 24.0f) * smoothstep(0.08f, 0.3f, s);
        c = c + rgb{0.35f, 0.7f, 1.0f} * (0.45f * rib);
        // Four horseshoe gonads seen through the top, as in a moon jelly.
        const float px = s * std::cos(angle), py = s * std::sin(angle);
        for (int k = 0; k < 4; ++k) {
            const float a = pi / 4 + k * pi / 2;
            const float dx = px - 0.3f * std::cos(a), dy = py - 0.3f * std::sin(a);
            const float d = std::sqrt(dx * dx + dy * dy);
            const float ring = gauss(d - 0.12f, 0.035f);
            c = mix(c, rgb{1.0f, 0.35f, 0.75f}, 0.85f * ring);
        }
        // Baked light from above, a soft highlight band and the glowing lip.
        c = c * (0.45f + 0.6f * (1 - s) * (1 - s));
        c = c + rgb{0.6f, 0.8f, 1.0f} * (0.35f * gauss(s - 0.28f, 0.09f));
        c = c + rgb{0.3f, 0.85f, 1.0f} * (0.9f * smoothstep(0.82f, 1.0f, s));
        return c;
    }
    const float s = (1 - v) / 0.5f; // 1 at the lip, 0 at the inner apex
    rgb c = mix(rgb{0.05f, 0.02f, 0.14f}, rgb{0.3f, 0.1f, 0.45f}, s);
    c = c * (0.7f + 0.6f * veins);
    const float dots = std::pow(0.5f + 0.5f * std::cos(2 * pi * 32 * u), 16.0f) * gauss(s - 0.8f, 0.06f);
    c = c + rgb{1.0f, 0.5f, 0.85f} * (0.8f * dots);
    c = c + rgb{0.3f, 0.85f, 1.0f} * (0.9f * smoothstep(0.85f, 1.0f, s));
    return c;
}

// Floor under the creature: a pool of light with caustics and rings, fading into the dark.
rgb floor_quad(float u, float v)
{
    const float dx = u - 0.5f, dy = v - 0.5f;
    const float d = 2 * std::sqrt(dx * dx + dy * dy); // 0 at the centre, 1 at the middle of an edge
    const float n1 = fbm(u, v, 12, 12, 3, 31), n2 = fbm(u + 0.37f, v + 0.11f, 12, 12, 3, 47);
    const float caustic = std::pow(clamp01(1 - std::fabs(n1 - n2) * 4), 6.0f);
    rgb c{0.01f, 0.02f, 0.05f};
    c = c + rgb{0.03f, 0.13f, 0.26f} * gauss(d, 0.45f);
    c = c + rgb{0.1f, 0.4f, 0.6f} * (0.25f * caustic * gauss(d, 0.38f));
    const float rings = std::pow(0.5f + 0.5f * std::cos(2 * pi * 7 * d), 10.0f);
    c = c + rgb{0.2f, 0.45f, 0.8f} * (0.18f * rings * smoothstep(0.12f, 0.25f, d) * gauss(d, 0.55f));
    c = c + rgb{0.45f, 0.12f, 0.35f} * (0.4f * gauss(d, 0.15f));
    c = c * (0.8f + 0.4f * fbm(u, v, 6, 6, 3, 53));
    return c * (1 - smoothstep(0.55f, 0.95f, d));
}

// Tentacles: u across (arms in 0 to 0.5, strands in 0.5 to 1, mirrored around each tube),
// v from root to tip.
rgb tentacles(float u, float v)
{
    const bool arm = u < 0.5f;
    const float x = clamp01(((arm ? u : u - 0.5f) / 0.5f - 0.04f) / 0.92f); // 0 and 1 at the back, 0.5 facing
    const float across = std::sin(pi * x);
    if (arm) {
        const float n = fbm(x * 0.25f, v, 4, 16, 4, 71);
        rgb c = mix(rgb{0.55f, 0.12f, 0.7f}, rgb{1.0f, 0.38f, 0.72f}, n);
        const float frill = std::pow(0.5f + 0.5f * std::sin(2 * pi * 22 * v + 6 * n), 3.0f);
        c = c * (0.65f + 0.45f * frill);
        c = c * (0.3f + 0.8f * across);
        c = c + rgb{1.0f, 0.8f, 0.95f} * (0.35f * std::pow(across, 8.0f));
        c = c + rgb{0.9f, 0.5f, 1.0f} * (0.4f * smoothstep(0.7f, 1.0f, v));
        return c;
    }
    rgb c = v < 0.5f ? mix(rgb{1.0f, 0.62f, 0.3f}, rgb{0.95f, 0.25f, 0.55f}, v / 0.5f)
                     : mix(rgb{0.95f, 0.25f, 0.55f}, rgb{0.25f, 0.75f, 1.0f}, (v - 0.5f) / 0.5f);
    c = c * (0.35f + 0.75f * across);
    const float beads = std::pow(0.5f + 0.5f * std::cos(2 * pi * 30 * v), 14.0f);
    c = c + rgb{1.0f, 0.9f, 0.8f} * (0.6f * beads * across);
    return c;
}

// Crystals: u across the six facets (three shades, mirrored), v from base to tip.
rgb crystals(float u, float v)
{
    const float band = std::min(2.0f, std::floor(u * 3));
    const float within = u * 3 - band;
    const float shade[] = {1.0f, 0.62f, 0.34f};
    rgb c = mix(rgb{0.04f, 0.35f, 0.3f}, rgb{0.45f, 1.0f, 0.8f}, smoothstep(0.0f, 0.9f, v));
    const float streak = fbm(u * 0.5f, v, 8, 3, 3, 91);
    c = c * (shade[static_cast<int>(band)] * (0.85f + 0.3f * streak) * (0.9f + 0.2f * within));
    const float edge = std::min(within, 1 - within);
    c = c + rgb{0.7f, 1.0f, 0.95f} * (0.5f * gauss(edge, 0.05f) * (0.4f + 0.6f * v));
    c = c + rgb{0.9f, 1.0f, 1.0f} * (0.8f * smoothstep(0.85f, 1.0f, v));
    return c;
}

// Gems and eye: a hot glow from the centre outwards.
rgb gems(float u, float v)
{
    const float dx = u - 0.5f, dy = v - 0.5f;
    const float r = clamp01(2 * std::sqrt(dx * dx + dy * dy));
    return mix(rgb{1.0f, 0.9f, 0.97f}, rgb{1.0f, 0.2f, 0.55f}, smoothstep(0.05f, 0.7f, r)) * (1 - 0.45f * r);
}

} // namespace

image paint_texture(std::size_t index)
{
    const int size = static_cast<int>(demo::layout::texture_table[index].width);
    switch (index) {
    case 0: return paint(size, bell);
    case 1: return paint(size, floor_quad);
    case 2: return paint(size, tentacles);
    case 3: return paint(size, crystals);
    default: return paint(size, gems);
    }
}

} // namespace quor::content
