// The creature's geometry and motion. Surfaces are built from rings of vertices stitched in
// profile order; a ring's angle turns from +x towards +z, so a profile running from a part's
// root to its tip gives triangles that run clockwise when seen from outside.
#include "content/creature.h"

#include <algorithm>
#include <cmath>

#include "content/easing.h"
#include "demo/data_layout.h"

namespace quor::content {
namespace {

constexpr float pi = 3.14159265358979f;

float3 operator+(float3 a, float3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
float3 operator-(float3 a, float3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float3 operator*(float3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
float dot(float3 a, float3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float3 cross(float3 a, float3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float3 normalize(float3 a)
{
    const float l = std::sqrt(dot(a, a));
    return l > 0 ? a * (1.0f / l) : float3{0, 1, 0};
}
// Rodrigues: v turned by angle about the unit axis k.
float3 rotate(float3 v, float3 k, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    return v * c + cross(k, v) * s + k * (dot(k, v) * (1 - c));
}
// A fixed hash of an integer to [0, 1): the creature's irregularities are the same every build.
float hash01(std::uint32_t n)
{
    n = (n ^ 61u) ^ (n >> 16);
    n *= 9u;
    n ^= n >> 4;
    n *= 0x27d4eb2du;
    n ^= n >> 15;
    return static_cast<float>(n & 0xffffffu) / 16777216.0f;
}

enum mesh_id { bell_mesh = 0, tentacle_mesh = 1, crystal_mesh = 2, gem_mesh = 3 };

using ring = std::vector<std::uint32_t>;

struct mesh_builder {
    creature_frame& f;

    std::uint32_t vertex(float3 p, float2 t)
    {
        f.positions.push_back(p);
        f.uvs.push_back(t);
        return static_cast<std::uint32_t>(f.positions.size() - 1);
    }
    void triangle(int mesh, std::uint32_t a, std::uint32_t b, std::uint32_t c)
    {
        auto& l = f.lists[mesh];
        l.push_back(a);
        l.push_back(b);
        l.push_back(c);
    }
    // Joins ring a to the next ring b along the profile; a ring of one vertex is a pole.
    void stitch(int mesh, const ring& a, const ring& b, bool closed)
    {
        const std::size_t n = a.size() > b.size() ? a.size() : b.size();
        const std::size_t segments = closed ? n : n - 1;
        for (std::size_t j = 0; j < segments; ++j) {
            const std::size_t k = (j + 1) % n;
            if (a.size() == 1) {
                triangle(mesh, a[0], b[j], b[k]);
            } else if (b.size() == 1) {
                triangle(mesh, a[j], b[0], a[k]);
            } else {
                triangle(mesh, a[j], b[j], a[k]);
                triangle(mesh, a[k], b[j], b[k]);
            }
        }
    }
};

// ---- bell ----------------------------------------------------------------------------------

constexpr int bell_segments = 42;
constexpr int bell_profile = 52;

struct bell_shape {
    float radius, height, theta_max, contraction, phase;
};

bell_shape bell_of(const creature_pose& p, float contraction)
{
    return {1.6f * (1 + 0.3f * p.bloom), 1.35f * (1 - 0.3f * p.bloom), (1.85f - 0.55f * p.bloom), contraction, p.phase};
}

// Point of the closed profile q in [0, 1] (outer apex, down to the lip at 0.5, up the inside to
// the inner apex) at angle a.
float3 bell_point(const bell_shape& b, float q, float a)
{
    const float side = q < 0.5f ? q * 2 : (1 - q) * 2; // 0 at an apex, 1 at the lip
    const float theta = b.theta_max * side;
    const float squeeze = 1 - 0.17f * b.contraction * side * side;
    const float ripple = 1 + 0.025f * side * side * std::sin(7 * a + 2 * b.phase);
    const float lopsided = 1 + 0.1f * side * std::cos(a); // the front bulges: it swims towards +x
    const float outer_r = b.radius * std::sin(theta) * squeeze * ripple * lopsided;
    const float outer_y = b.height * (1 + 0.08f * b.contraction) * std::cos(theta);
    const float inner_r = outer_r * 0.88f;
    const float inner_y = outer_y * 0.8f - 0.08f;
    const float w = smoothstep(0.47f, 0.53f, q);
    const float r = outer_r + (inner_r - outer_r) * w;
    const float y = outer_y + (inner_y - outer_y) * w;
    return {r * std::cos(a), y, r * std::sin(a)};
}

void build_bell(mesh_builder& m, const bell_shape& b)
{
    ring previous{m.vertex(bell_point(b, 0, 0), {0.5f, 0})};
    for (int k = 1; k <= bell_profile; ++k) {
        const float q = static_cast<float>(k) / (bell_profile + 1);
        ring r;
        for (int j = 0; j <= bell_segments; ++j) {
            const float u = static_cast<float>(j) / bell_segments;
            r.push_back(m.vertex(bell_point(b, q, 2 * pi * u), {u, q}));
        }
        m.stitch(bell_mesh, previous, r, false);
        previous = std::move(r);
    }
    m.stitch(bell_mesh, previous, ring{m.vertex(bell_point(b, 1, 0), {0.5f, 1})}, false);
}

// ---- tubes: tentacles, arms ----------------------------------------------------------------

struct frame3 {
    float3 t, n, b; // right-handed: b = t x n
};

// Parallel-transported frames along a polyline, starting from a normal near `hint`.
std::vector<frame3> transport(const std::vector<float3>& pts, float3 hint)
{
    std::vector<frame3> frames(pts.size());
    float3 n = hint;
    for (std::size_t k = 0; k < pts.size(); ++k) {
        const float3 ahead = pts[k + 1 < pts.size() ? k + 1 : k];
        const float3 behind = pts[k > 0 ? k - 1 : k];
        const float3 t = normalize(ahead - behind);
        n = normalize(n - t * dot(t, n));
        frames[k] = {t, n, cross(t, n)};
    }
    return frames;
}

// u across a tube runs 0 to 1 and back around it, so a ring needs no seam vertex.
float mirrored(int j, int sides) { return 1 - std::fabs(2.0f * j / sides - 1); }

template <typename Radius>
void build_tube(mesh_builder& m, const std::vector<float3>& pts, float3 hint, int sides, float u0, float u_span,
                float v0, float v_span, Radius radius)
{
    const std::vector<frame3> frames = transport(pts, hint);
    const int segments = static_cast<int>(pts.size()) - 1;
    ring previous;
    for (int k = 0; k <= segments; ++k) {
        const float s = static_cast<float>(k) / segments;
        ring r;
        for (int j = 0; j < sides; ++j) {
            const float a = 2 * pi * j / sides;
            const float rad = radius(s, a);
            const float3 p = pts[k] + (frames[k].n * std::cos(a) + frames[k].b * std::sin(a)) * rad;
            r.push_back(m.vertex(p, {u0 + u_span * (0.04f + 0.92f * mirrored(j, sides)), v0 + v_span * s}));
        }
        if (k > 0)
            m.stitch(tentacle_mesh, previous, r, true);
        previous = std::move(r);
    }
    const float3 tip = pts.back() + frames.back().t * (radius(1.0f, 0) * 1.5f);
    m.stitch(tentacle_mesh, previous, ring{m.vertex(tip, {u0 + u_span * 0.5f, v0 + v_span})}, true);
}

// The creature swims towards +x: its strands stream back and a little aside in the water.
constexpr float3 stream{-0.55f, 0.05f, 0.18f};

// A hanging, waving strand that blooms outwards, curls up along its length and streams back.
std::vector<float3> strand(float3 anchor, float angle, int segments, float length, float flare, float wave,
                           float seed, const creature_pose& p, float curl)
{
    const float3 outward{std::cos(angle), 0, std::sin(angle)};
    const float3 tangential{-std::sin(angle), 0, std::cos(angle)};
    const float3 down{0, -1, 0};
    const float3 bloom_axis = normalize(cross(down, outward));
    std::vector<float3> pts{anchor};
    const float step = length / segments;
    for (int k = 1; k <= segments; ++k) {
        const float s = (k - 0.5f) / segments;
        const float w = std::sin(2 * pi * 1.2f * s - p.phase + seed);
        const float w2 = std::cos(2 * pi * 0.8f * s - p.phase + seed * 1.7f);
        float3 dir = down + outward * (flare * (1 - 0.6f * s)) + tangential * (wave * s * w) +
                     outward * (0.5f * wave * s * w2) + stream * s;
        // The curl grows evenly along the strand, so that the tip bends no harder than the middle.
        dir = rotate(normalize(dir), bloom_axis, p.bloom * (1.1f + curl * s));
        pts.push_back(pts.back() + dir * step);
    }
    return pts;
}

constexpr int arm_count = 8, arm_sides = 6, arm_segments = 18;
constexpr int tentacle_count = 16, tentacle_sides = 4, tentacle_segments = 22;
constexpr int mouth_sides = 17;

float arm_angle(int i) { return 2 * pi * (i + 0.5f) / arm_count; }
float tentacle_angle(int i) { return 2 * pi * (i + 0.5f) / tentacle_count; }

// Centre lines of the arms, then of the tentacles.
std::vector<std::vector<float3>> strand_lines(const bell_shape& b, const creature_pose& p, float contraction)
{
    std::vector<std::vector<float3>> lines;
    for (int i = 0; i < arm_count; ++i) {
        const float a = arm_angle(i);
        const float3 anchor{0.32f * std::cos(a), -0.05f, 0.32f * std::sin(a)};
        lines.push_back(strand(anchor, a, arm_segments, 3.4f, 0.12f + 0.1f * contraction, 0.55f, 1.3f * i, p, 1.2f));
    }
    for (int i = 0; i < tentacle_count; ++i) {
        const float a = tentacle_angle(i);
        const float3 lip = bell_point(b, 0.5f, a);
        const float3 anchor = lip * 0.97f + float3{0, 0.05f, 0};
        // The trailing tentacles (back, -x) are the longest.
        const float length = 4.0f + 0.8f * hash01(i + 17) + 1.6f * (0.5f - 0.5f * std::cos(a));
        lines.push_back(strand(anchor, a, tentacle_segments, length, 0.28f - 0.22f * contraction, 0.9f,
                               0.7f * i + 2 * hash01(i), p, 3.0f));
    }
    return lines;
}

float contraction_of(const creature_pose& p) { return (0.5f - 0.5f * std::cos(p.phase)) * (1 - 0.6f * p.bloom); }

void build_tentacles(mesh_builder& m, const bell_shape& b, const creature_pose& p, float contraction)
{
    const std::vector<std::vector<float3>> lines = strand_lines(b, p, contraction);
    for (int i = 0; i < arm_count; ++i) {
        const float a = arm_angle(i);
        build_tube(m, lines[i], {std::cos(a), 0, std::sin(a)}, arm_sides, 0, 0.5f, 0, 1, [&](float s, float ang) {
            return (0.15f * (1 - 0.75f * s) + 0.02f) * (1 + 0.3f * std::sin(3 * ang + 14 * s - p.phase));
        });
    }
    for (int i = 0; i < tentacle_count; ++i) {
        const float a = tentacle_angle(i);
        build_tube(m, lines[arm_count + i], {std::cos(a), 0, std::sin(a)}, tentacle_sides, 0.5f, 0.5f, 0, 1,
                   [](float s, float) { return 0.05f * (1 - 0.65f * s); });
    }
    // The mouth: a cone hanging from inside the bell between the arms.
    ring top;
    for (int j = 0; j < mouth_sides; ++j) {
        const float a = 2 * pi * j / mouth_sides;
        top.push_back(m.vertex({0.3f * std::cos(a), 0.25f, 0.3f * std::sin(a)},
                               {0.5f * (0.04f + 0.92f * mirrored(j, mouth_sides)), 0}));
    }
    const float sway = 0.1f * std::sin(p.phase);
    m.stitch(tentacle_mesh, top, ring{m.vertex({sway, -1.1f - 0.15f * contraction, 0}, {0.25f, 0.35f})}, true);
}

// ---- crystals ------------------------------------------------------------------------------

constexpr int crystal_sides = 6;
struct crystal_ring {
    int count;
    float side; // 0 at the apex, 1 at the lip
    float length, radius;
};
constexpr crystal_ring crystal_rings[] = {{10, 0.14f, 0.95f, 0.1f}, {18, 0.3f, 0.75f, 0.085f},
                                          {22, 0.46f, 0.55f, 0.07f}, {26, 0.62f, 0.38f, 0.055f}};

void build_crystal(mesh_builder& m, float3 base, float3 axis, float length, float radius, float twist)
{
    float3 n = normalize(cross(axis, float3{0.3f, 0.1f, 0.9f}));
    n = rotate(n, axis, twist);
    const float3 b = cross(axis, n);
    ring previous{m.vertex(base, {0.5f, 0})};
    constexpr float heights[] = {0, 0.3f, 0.65f, 1};
    constexpr float widths[] = {0.9f, 1.05f, 1, 0.85f};
    for (int k = 0; k < 4; ++k) {
        ring r;
        for (int j = 0; j < crystal_sides; ++j) {
            const float a = 2 * pi * j / crystal_sides;
            const float3 p = base + axis * (length * heights[k]) + (n * std::cos(a) + b * std::sin(a)) * (radius * widths[k]);
            r.push_back(m.vertex(p, {mirrored(j, crystal_sides), 0.05f + 0.8f * heights[k]}));
        }
        m.stitch(crystal_mesh, previous, r, true);
        previous = std::move(r);
    }
    // One apex per facet, so that each tip facet keeps its facet's shade.
    const float3 apex = base + axis * (length + radius * 1.8f);
    for (int j = 0; j < crystal_sides; ++j) {
        const int k = (j + 1) % crystal_sides;
        const float u = 0.5f * (mirrored(j, crystal_sides) + mirrored(k, crystal_sides));
        m.triangle(crystal_mesh, previous[j], m.vertex(apex, {u, 1}), previous[k]);
    }
}

void build_crystals(mesh_builder& m, const bell_shape& b, const creature_pose& p)
{
    std::uint32_t index = 0;
    for (const crystal_ring& cr : crystal_rings) {
        for (int i = 0; i < cr.count; ++i, ++index) {
            const float a = 2 * pi * (i + 0.5f * (cr.side > 0.3f)) / cr.count + 0.3f * hash01(index + 101);
            const float q = 0.5f * cr.side;
            const float3 on_bell = bell_point(b, q, a);
            const float3 normal = normalize(on_bell - float3{0, -0.4f, 0});
            const float3 jitter{hash01(index * 3 + 1) - 0.5f, hash01(index * 3 + 2) - 0.5f, hash01(index * 3 + 3) - 0.5f};
            const float3 axis =
                normalize(normal + float3{0, 0.9f - 0.6f * p.bloom, 0} + jitter * 0.5f);
            // A crest of tall crystals along the back of the crown.
            const float crest = 1 + 0.7f * std::pow(std::max(0.0f, -std::cos(a)), 3.0f);
            const float size = (0.8f + 0.4f * hash01(index + 7)) * crest;
            const float length = cr.length * size * (1 + 0.6f * p.bloom) * (1 + 0.04f * std::sin(p.phase + index));
            build_crystal(m, on_bell - axis * 0.06f, axis, length, cr.radius * size, 2 * pi * hash01(index + 55));
        }
    }
}

// ---- gems ----------------------------------------------------------------------------------

constexpr int gem_count = 16, gem_sides = 13, eye_sides = 39;

float2 glow_uv(float a, float r) { return {0.5f + r * std::cos(a), 0.5f + r * std::sin(a)}; }

// A faceted bipyramid: every facet has its own corners, so each glints on its own.
void build_gem(mesh_builder& m, float3 centre, float3 axis, float radius, float height)
{
    const float3 n = normalize(cross(axis, float3{0.2f, 0.9f, 0.3f}));
    const float3 b = cross(axis, n);
    const float3 top = centre + axis * height;
    const float3 bottom = centre - axis * height;
    for (int j = 0; j < gem_sides; ++j) {
        const float a0 = 2 * pi * j / gem_sides, a1 = 2 * pi * (j + 1) / gem_sides;
        const float3 p0 = centre + (n * std::cos(a0) + b * std::sin(a0)) * radius;
        const float3 p1 = centre + (n * std::cos(a1) + b * std::sin(a1)) * radius;
        const float sparkle = 0.3f + 0.15f * (j % 3);
        m.triangle(gem_mesh, m.vertex(top, {0.5f, 0.5f}), m.vertex(p0, glow_uv(a0, sparkle)),
                   m.vertex(p1, glow_uv(a1, sparkle)));
        m.triangle(gem_mesh, m.vertex(p0, glow_uv(a0, 0.45f)), m.vertex(bottom, {0.5f, 0.5f}),
                   m.vertex(p1, glow_uv(a1, 0.45f)));
    }
}

void build_gems(mesh_builder& m, const bell_shape& b, const creature_pose& p)
{
    for (int i = 0; i < gem_count; ++i) {
        const float a = 2 * pi * i / gem_count;
        const float3 lip = bell_point(b, 0.5f, a);
        const float3 out = normalize(float3{lip.x, 0, lip.z});
        // Gems 1 and 15 flank the front: two large eyes.
        const float eye = (i == 1 || i == gem_count - 1) ? 2.2f : 1.0f;
        const float beat = eye * (1 + 0.2f * std::sin(p.phase * 2 + i));
        build_gem(m, lip + out * 0.06f + float3{0, -0.03f, 0}, normalize(out + float3{0, -0.5f, 0}), 0.085f * beat,
                  0.12f * beat);
    }
    // The crown's eye: a glowing cap on the apex among the crystals.
    const float3 apex = bell_point(b, 0, 0);
    ring cap;
    for (int j = 0; j < eye_sides; ++j) {
        const float a = 2 * pi * j / eye_sides;
        cap.push_back(m.vertex(apex + float3{0.22f * std::cos(a), -0.03f, 0.22f * std::sin(a)}, glow_uv(a, 0.45f)));
    }
    const float glow = 0.14f + 0.04f * std::sin(p.phase);
    m.stitch(gem_mesh, ring{m.vertex(apex + float3{0, glow, 0}, {0.5f, 0.5f})}, cap, true);
}

} // namespace

creature_pose pose_of_frame(std::size_t frame)
{
    using namespace quor::demo::layout;
    if (frame < loop_frames)
        return {2 * pi * static_cast<float>(frame) / loop_frames, 0, 0, 0};
    // The run picks the pulse up where the loop left it just before the run starts: the change
    // at the hit is one of pace, not a jump.
    constexpr std::size_t resume = frame_at(run_start_time - 0.5 / frames_per_second) + 1;
    const std::size_t g = frame - run_first_frame;
    auto opening = [](std::size_t step) { return smoothstep(12, 272, static_cast<float>(step)); };
    float spin = 0;
    for (std::size_t k = 0; k < g; ++k)
        spin += 0.03f * opening(k);
    // Towards the end it closes again and swims up out of the light, as the music fades.
    const float step = static_cast<float>(g);
    const float closing = smoothstep(190, 290, step);
    const float away = smoothstep(180, 300, step);
    const float bloom = opening(g) * (1 - 0.6f * closing);
    return {2 * pi * static_cast<float>(g + resume) / loop_frames, bloom, spin, opening(g) + 16 * away * away};
}

creature_frame build_creature(const creature_pose& p)
{
    creature_frame f;
    f.positions.reserve(quor::demo::layout::frame_vertex_count);
    f.uvs.reserve(quor::demo::layout::frame_vertex_count);
    mesh_builder m{f};
    const float contraction = contraction_of(p);
    const bell_shape b = bell_of(p, contraction);
    build_bell(m, b);
    build_tentacles(m, b, p, contraction);
    build_crystals(m, b, p);
    build_gems(m, b, p);

    // The whole body: spin, a sway that grows with the bloom, the pulse's bob and the rise.
    const float3 up{0, 1, 0};
    const float3 sway_axis = normalize(float3{std::cos(p.spin * 0.7f), 0, std::sin(p.spin * 0.7f)});
    const float lift = p.rise + 0.12f * std::sin(p.phase - 0.6f);
    for (float3& v : f.positions) {
        float3 w = rotate(v, up, p.spin);
        w = rotate(w, sway_axis, 0.12f * p.bloom);
        v = w + float3{0, lift, 0};
    }
    return f;
}

std::vector<std::vector<float3>> strand_centre_lines(const creature_pose& p)
{
    const float contraction = contraction_of(p);
    return strand_lines(bell_of(p, contraction), p, contraction);
}

std::vector<float3> vertex_normals(const creature_frame& f)
{
    std::vector<float3> normals(f.positions.size());
    for (const auto& list : f.lists) {
        for (std::size_t i = 0; i + 2 < list.size(); i += 3) {
            const float3 a = f.positions[list[i]], b = f.positions[list[i + 1]], c = f.positions[list[i + 2]];
            // Clockwise from outside: the winding's normal points in.
            const float3 n = cross(b - a, c - a) * -1.0f;
            for (int k = 0; k < 3; ++k)
                normals[list[i + k]] = normals[list[i + k]] + n;
        }
    }
    for (float3& n : normals)
        n = normalize(n);
    return normals;
}

void write_creature_frame(std::size_t frame, const creature_frame& rest, vtx_nt0t1* out)
{
    const creature_frame f = build_creature(pose_of_frame(frame));
    const std::vector<float3> normals = vertex_normals(f);
    for (std::size_t i = 0; i < f.positions.size(); ++i) {
        vtx_nt0t1& v = out[i];
        v.position[0] = f.positions[i].x;
        v.position[1] = f.positions[i].y;
        v.position[2] = f.positions[i].z;
        v.normal[0] = normals[i].x;
        v.normal[1] = normals[i].y;
        v.normal[2] = normals[i].z;
        v.t0[0] = f.uvs[i].u;
        v.t0[1] = f.uvs[i].v;
        // A top-down planar map of the rest pose: a place for a light or detail map.
        v.t1[0] = 0.5f + rest.positions[i].x / 8;
        v.t1[1] = 0.5f + rest.positions[i].z / 8;
    }
}

} // namespace quor::content
