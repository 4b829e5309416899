// glTF animation samplers evaluated as glTF defines them (LINEAR with spherical interpolation for
// rotations, STEP, CUBICSPLINE with per-key tangents), clamped outside their keys, and turned into
// curves of the fitting step. Every accessor read is bounded by its buffer. tinygltf reads files
// only through callbacks that keep it to regular files inside the glTF's own folder and to sizes
// stated below, and decodes no image: motion never uses them.
#include "interchange/gltf_motion.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <numbers>
#include <string_view>

#include <tiny_gltf.h>

#include "app/report.h"
#include "platform/file.h"

namespace quor::interchange {
namespace {

constexpr double pi = std::numbers::pi;
constexpr double unwrap_rate = 480; // samples a second of the heading/pitch/bank reference

enum class interpolation { linear, step, cubic };

// One sampler: key times and per key `width` values (for CUBICSPLINE, the in-tangent, value and
// out-tangent of each key in turn, as glTF stores them).
struct track {
    interpolation mode = interpolation::linear;
    std::size_t width = 3;
    std::vector<float> times;
    std::vector<float> data;

    std::size_t count() const { return times.size(); }
    const float* value(std::size_t k) const { return &data[(mode == interpolation::cubic ? 3 * k + 1 : k) * width]; }
    const float* in_tangent(std::size_t k) const { return &data[3 * k * width]; }
    const float* out_tangent(std::size_t k) const { return &data[(3 * k + 2) * width]; }

    // The sampled value at t; rotations (width 4) interpolate spherically and come out unit length.
    std::array<double, 4> at(double t) const
    {
        std::array<double, 4> out{};
        // The key at or before t: a search, not a walk, so that a long track costs no more per sample.
        const auto after = std::upper_bound(times.begin(), times.end(), t);
        const std::size_t k = after == times.begin() ? 0 : static_cast<std::size_t>(after - times.begin()) - 1;
        if (t <= times.front() || k + 1 >= count() || mode == interpolation::step) {
            for (std::size_t c = 0; c < width; ++c)
                out[c] = value(t <= times.front() ? 0 : k)[c];
            return out;
        }
        const double dt = times[k + 1] - times[k];
        const double s = (t - times[k]) / dt;
        const float* a = value(k);
        const float* b = value(k + 1);
        if (mode == interpolation::cubic) {
            const double s2 = s * s, s3 = s2 * s;
            for (std::size_t c = 0; c < width; ++c)
                out[c] = (2 * s3 - 3 * s2 + 1) * a[c] + (s3 - 2 * s2 + s) * dt * out_tangent(k)[c] +
                         (-2 * s3 + 3 * s2) * b[c] + (s3 - s2) * dt * in_tangent(k + 1)[c];
        } else if (width == 4) {
            double dot = 0;
            for (int c = 0; c < 4; ++c)
                dot += double(a[c]) * b[c];
            const double sign = dot < 0 ? -1 : 1;
            dot = std::min(1.0, std::fabs(dot));
            const double angle = std::acos(dot);
            const double wa = angle < 1e-9 ? 1 - s : std::sin((1 - s) * angle) / std::sin(angle);
            const double wb = angle < 1e-9 ? s : std::sin(s * angle) / std::sin(angle);
            for (int c = 0; c < 4; ++c)
                out[c] = wa * a[c] + sign * wb * b[c];
        } else {
            for (std::size_t c = 0; c < width; ++c)
                out[c] = a[c] + s * (b[c] - a[c]);
        }
        if (width == 4) {
            const double n = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2] + out[3] * out[3]);
            for (double& c : out)
                c /= n > 0 ? n : 1;
        }
        return out;
    }
};

bool fail(std::string* error, std::string what)
{
    *error = std::move(what);
    return false;
}

// The most bytes read of any one file (the glTF, a .glb, a buffer or an image), of every file
// together, and of the JSON text; and how deeply its arrays and objects may nest (tinygltf's
// reading of `extras` recurses once per level).
constexpr std::size_t max_file_bytes = std::size_t{1} << 30;
constexpr std::size_t max_total_bytes = std::size_t{1} << 30;
constexpr std::size_t max_json_bytes = std::size_t{64} << 20;
constexpr int max_json_depth = 64;

// What tinygltf may reach: files inside `folder` (links resolved), read up to the bounds above.
struct confinement {
    std::string folder; // resolved, without a trailing '/'
    std::size_t read = 0;
    // The first file refused, and why: a load that fails over it says so.
    std::string refusal;
};

// tinygltf joins a URI to the folder as it is, so an absolute one ("/etc/passwd") arrives as
// "<folder>//etc/passwd": that URI, which names a file outside the folder whatever lies at the
// joined path; empty for any other path.
std::string absolute_uri(const std::string& path, const confinement& c)
{
    const std::string joined = c.folder == "/" ? "/" : c.folder + "/";
    return path.size() > joined.size() + 1 && path.rfind(joined + "/", 0) == 0 ? path.substr(joined.size()) : "";
}

// Why tinygltf may not have the file at `path` (empty when it may), and its size: outside the
// folder (links resolved), not a regular file, or past the bounds above.
std::string weigh(const std::string& path, const confinement& c, std::size_t& size)
{
    const std::string resolved = platform::resolve_links(path.c_str());
    platform::open_result how;
    const int fd = platform::open_for_input(resolved.c_str(), &how);
    const long long length = fd == platform::no_file ? -1 : platform::file_length(fd);
    platform::close_file(fd);
    const bool inside = c.folder == "/" ? resolved.size() > 1
                                        : resolved.rfind(c.folder + "/", 0) == 0 && resolved.size() > c.folder.size() + 1;
    if (!absolute_uri(path, c).empty())
        return "lies outside the glTF file's folder";
    if (how == platform::open_result::missing)
        return "does not exist";
    if (!inside)
        return "lies outside the glTF file's folder";
    if (fd == platform::no_file)
        return how == platform::open_result::not_regular ? "is not a regular file" : "cannot be opened";
    if (length < 0 || static_cast<std::size_t>(length) > max_file_bytes)
        return "is larger than the " + std::to_string(max_file_bytes >> 20) + " MiB a glTF import reads of a file";
    if (c.read + static_cast<std::size_t>(length) > max_total_bytes)
        return "would take what is read past the " + std::to_string(max_total_bytes >> 20) + " MiB a glTF import reads";
    size = static_cast<std::size_t>(length);
    return {};
}

// tinygltf asks whether a file exists before it reads it, trying the glTF's folder and then ".";
// a refusal is kept for the message of a load that fails over it.
bool file_exists(const std::string& path, void* context)
{
    auto& c = *static_cast<confinement*>(context);
    std::size_t size = 0;
    const std::string why = weigh(path, c, size);
    if (!why.empty() && why != "does not exist" && c.refusal.empty())
        c.refusal = "the file " + system::printable(absolute_uri(path, c).empty() ? path : absolute_uri(path, c)) +
                    " it refers to " + why;
    return why.empty();
}

std::string as_given(const std::string& path, void*) { return path; }

bool read_whole_file(std::vector<unsigned char>* out, std::string* err, const std::string& path, void* context)
{
    auto& c = *static_cast<confinement*>(context);
    std::size_t size = 0;
    const std::string why = weigh(path, c, size);
    if (!why.empty()) {
        if (err)
            *err += why;
        return false;
    }
    const int fd = platform::open_for_input(platform::resolve_links(path.c_str()).c_str());
    out->resize(size);
    const bool read = fd != platform::no_file && platform::read_full(fd, out->data(), size) == size;
    platform::close_file(fd);
    if (!read && err)
        *err += "cannot be read";
    c.read += size;
    return read;
}

bool write_nothing(std::string*, const std::string&, const std::vector<unsigned char>&, void*) { return false; }

// Images are left undecoded: motion needs none, and a decoder is the widest door a file offers.
bool skip_image(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int, void*)
{
    return true;
}

// How deeply the JSON text's arrays and objects nest, strings skipped; stops counting past `limit`.
int nesting(std::string_view json, int limit)
{
    int depth = 0, deepest = 0;
    bool in_string = false;
    for (std::size_t i = 0; i < json.size() && deepest <= limit; ++i) {
        const char ch = json[i];
        if (in_string) {
            if (ch == '\\')
                ++i;
            else if (ch == '"')
                in_string = false;
        } else if (ch == '"') {
            in_string = true;
        } else if (ch == '[' || ch == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (ch == ']' || ch == '}') {
            --depth;
        }
    }
    return deepest;
}

std::uint32_t little_u32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24; }

// The JSON chunk of a binary glTF, after its whole container is found sound (tinygltf 2.7 lets a
// BIN chunk's header run it 8 bytes past the file); empty with *why when it is not.
std::string_view glb_json(const std::vector<unsigned char>& file, std::string& why)
{
    const std::size_t size = file.size();
    if (size < 20) {
        why = "a binary glTF file shorter than its headers";
        return {};
    }
    const std::size_t length = little_u32(&file[8]), json = little_u32(&file[12]);
    if (length > size || length < 20 || json > length - 20 || little_u32(&file[16]) != 0x4E4F534A) {
        why = "a binary glTF file whose JSON chunk does not fit it";
        return {};
    }
    const std::size_t bin = 20 + json;
    if (bin < length && (length - bin < 8 || little_u32(&file[bin]) > length - bin - 8)) {
        why = "a binary glTF file whose BIN chunk runs past its end";
        return {};
    }
    return {reinterpret_cast<const char*>(file.data()) + 20, json};
}

// Reads the glTF or .glb file at `path` into `model`, holding tinygltf to the bounds above.
bool load_model(const std::string& path, tinygltf::Model& model, std::string* error)
{
    const std::string resolved = platform::resolve_links(path.c_str());
    const std::size_t slash = resolved.rfind('/');
    confinement c;
    c.folder = slash == std::string::npos ? platform::resolve_links(".") : slash == 0 ? "/" : resolved.substr(0, slash);

    std::vector<unsigned char> file;
    std::string why;
    if (!read_whole_file(&file, &why, path, &c))
        return fail(error, path + ": " + why);
    const bool binary = file.size() >= 4 && std::memcmp(file.data(), "glTF", 4) == 0;
    const std::string_view json =
        binary ? glb_json(file, why) : std::string_view(reinterpret_cast<const char*>(file.data()), file.size());
    const std::size_t opening = json.find_first_not_of(" \t\r\n\xEF\xBB\xBF"); // a byte-order mark too
    if (!binary && (opening == std::string_view::npos || json[opening] != '{'))
        why = "neither a JSON text nor a binary glTF file";
    else if (json.size() > max_json_bytes)
        why = "its JSON text is larger than the " + std::to_string(max_json_bytes >> 20) + " MiB a glTF import reads";
    else if (nesting(json, max_json_depth) > max_json_depth)
        why = "its JSON nests arrays and objects deeper than " + std::to_string(max_json_depth) + " levels";
    if (!why.empty())
        return fail(error, path + ": not a glTF file tinygltf can read (" + why + ")");

    tinygltf::TinyGLTF loader;
    loader.SetFsCallbacks({file_exists, as_given, read_whole_file, write_nothing, &c});
    loader.SetImageLoader(skip_image, nullptr);
    std::string err, warn;
    bool loaded = false;
    try {
        loaded = binary ? loader.LoadBinaryFromMemory(&model, &err, &warn, file.data(),
                                                      static_cast<unsigned int>(file.size()), c.folder)
                        : loader.LoadASCIIFromString(&model, &err, &warn, json.data(),
                                                     static_cast<unsigned int>(json.size()), c.folder);
    } catch (const std::bad_alloc&) {
        return fail(error, path + ": not enough memory to read it");
    }
    if (!loaded) {
        const bool over_a_file = err.find("File not found") != std::string::npos ||
                                 err.find("File read error") != std::string::npos;
        const std::string first = over_a_file && !c.refusal.empty() ? c.refusal : err.substr(0, err.find('\n'));
        return fail(error, path + ": not a glTF file tinygltf can read" +
                               (first.empty() ? "" : " (" + system::printable(first, 200) + ")"));
    }
    return true;
}

// "A, B, C" for a message, unnamed items as #index, cut after a screenful.
template <class Items>
std::string name_list(const Items& items)
{
    constexpr std::size_t shown = 20;
    std::string out;
    for (std::size_t i = 0; i < items.size() && i < shown; ++i)
        out += (i ? ", " : "") + (items[i].name.empty() ? "#" + std::to_string(i) : system::printable(items[i].name));
    if (items.size() > shown)
        out += " and " + std::to_string(items.size() - shown) + " more";
    return out.empty() ? "none" : out;
}

bool moves(const tinygltf::Animation& a, int node)
{
    return std::any_of(a.channels.begin(), a.channels.end(), [node](const tinygltf::AnimationChannel& c) {
        return c.target_node == node && c.target_path != "weights";
    });
}

// Float elements of an accessor, `width` per item, checked against its buffer.
bool read_floats(const tinygltf::Model& m, int index, std::size_t width, std::vector<float>& out, std::string* error)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m.accessors.size())
        return fail(error, "an animation sampler names a missing accessor");
    const tinygltf::Accessor& a = m.accessors[static_cast<std::size_t>(index)];
    const std::string name = "accessor " + std::to_string(index);
    if (a.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT)
        return fail(error, name + " does not hold floats (quantised animation is not read)");
    if (static_cast<std::size_t>(tinygltf::GetNumComponentsInType(static_cast<std::uint32_t>(a.type))) != width)
        return fail(error, name + " holds " + std::to_string(tinygltf::GetNumComponentsInType(a.type)) +
                               " components an item, the animation needs " + std::to_string(width));
    if (a.sparse.isSparse || a.bufferView < 0 || static_cast<std::size_t>(a.bufferView) >= m.bufferViews.size())
        return fail(error, name + " has no plain buffer view");
    const tinygltf::BufferView& view = m.bufferViews[static_cast<std::size_t>(a.bufferView)];
    if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= m.buffers.size())
        return fail(error, name + " names a missing buffer");
    const std::vector<unsigned char>& buffer = m.buffers[static_cast<std::size_t>(view.buffer)].data;
    const int stride = a.ByteStride(view);
    const std::size_t item = width * sizeof(float);
    // Every item must end inside the view and the buffer, checked without overflow.
    if (view.byteOffset > buffer.size())
        return fail(error, name + " runs past its buffer");
    const std::size_t limit = view.byteOffset + std::min(view.byteLength, buffer.size() - view.byteOffset);
    const std::size_t start = view.byteOffset + std::min(a.byteOffset, limit - view.byteOffset);
    if (stride <= 0 || a.count == 0 || a.byteOffset > limit - view.byteOffset || item > limit - start ||
        (a.count - 1) > (limit - start - item) / static_cast<std::size_t>(stride))
        return fail(error, name + " runs past its buffer");
    out.resize(a.count * width);
    for (std::size_t i = 0; i < a.count; ++i)
        std::memcpy(&out[i * width], buffer.data() + start + i * static_cast<std::size_t>(stride), item);
    for (float f : out)
        if (!std::isfinite(f))
            return fail(error, name + " holds a value that is not a finite number");
    return true;
}

bool read_track(const tinygltf::Model& m, const tinygltf::AnimationSampler& s, std::size_t width, track& out,
                std::string* error)
{
    out.width = width;
    if (s.interpolation == "LINEAR")
        out.mode = interpolation::linear;
    else if (s.interpolation == "STEP")
        out.mode = interpolation::step;
    else if (s.interpolation == "CUBICSPLINE")
        out.mode = interpolation::cubic;
    else
        return fail(error, "interpolation " + s.interpolation + " is none of LINEAR, STEP, CUBICSPLINE");
    if (!read_floats(m, s.input, 1, out.times, error) || !read_floats(m, s.output, width, out.data, error))
        return false;
    const std::size_t per_key = out.mode == interpolation::cubic ? 3 : 1;
    if (out.data.size() != out.times.size() * width * per_key)
        return fail(error, "a sampler has " + std::to_string(out.times.size()) + " key times and " +
                               std::to_string(out.data.size() / width) + " values");
    for (std::size_t k = 0; k < out.times.size(); ++k)
        if (out.times[k] < 0 || (k > 0 && out.times[k] <= out.times[k - 1]))
            return fail(error, "sampler key times must grow from 0 on");
    return true;
}

source_curve constant_curve(float v)
{
    source_curve c;
    c.value = [v](double) { return v; };
    c.constant = true;
    return c;
}

// Translation or scale component `c` of a track, times `sign`.
source_curve component_curve(const std::shared_ptr<const track>& tr, std::size_t c, float sign, float tolerance)
{
    source_curve out;
    out.value = [tr, c, sign](double t) { return static_cast<float>(sign * tr->at(t)[c]); };
    out.tolerance = tolerance;
    out.constant = tr->count() == 1;
    out.bake_reason = "CUBICSPLINE tangents, which the data file cannot hold";
    for (std::size_t k = 0; k < tr->count(); ++k) {
        out.knots.push_back(tr->times[k]);
        if (tr->mode == interpolation::step && k > 0)
            out.breaks.push_back(tr->times[k]);
    }
    if (tr->mode != interpolation::cubic) {
        std::vector<Key> keys;
        for (std::size_t k = 0; k < tr->count(); ++k) {
            Key key;
            key.time = tr->times[k];
            key.value = sign * tr->value(k)[c];
            key.shape = tr->mode == interpolation::step ? Shape::Stepped : Shape::Linear;
            keys.push_back(key);
        }
        out.exact = std::move(keys);
    }
    return out;
}

// Size of a path: the diagonal of the box around its key values (CUBICSPLINE sampled too).
float path_size(const track& tr, double end)
{
    double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300};
    for (double t = 0; t <= end; t += 1.0 / 60) {
        const auto v = tr.at(t);
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], v[c]);
            hi[c] = std::max(hi[c], v[c]);
        }
    }
    return static_cast<float>(std::hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]));
}

// Heading, pitch and bank along a rotation track, each angle kept within half a turn of its
// value a moment earlier so the channels run on continuously.
struct angle_track {
    std::shared_ptr<const track> rotation;
    std::vector<std::array<float, 3>> reference;

    angle_track(std::shared_ptr<const track> tr, double end) : rotation(std::move(tr))
    {
        const auto samples = static_cast<std::size_t>(end * unwrap_rate) + 2;
        reference.reserve(samples);
        for (std::size_t i = 0; i < samples; ++i) {
            const auto raw = heading_pitch_bank(rotation->at(i / unwrap_rate));
            reference.push_back(i == 0 ? raw : near(raw, reference.back()));
        }
    }

    static std::array<float, 3> near(std::array<float, 3> v, const std::array<float, 3>& to)
    {
        for (int c = 0; c < 3; ++c)
            v[c] += static_cast<float>(2 * pi * std::round((to[c] - v[c]) / (2 * pi)));
        return v;
    }

    float at(double t, std::size_t c) const
    {
        // Clamped as a double: a key time far past the reference does not fit an index.
        const auto i = static_cast<std::size_t>(
            std::clamp(t * unwrap_rate, 0.0, static_cast<double>(reference.size() - 1)));
        return near(heading_pitch_bank(rotation->at(t)), reference[i])[c];
    }
};


} // namespace

std::array<float, 3> heading_pitch_bank(const std::array<double, 4>& q)
{
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    // The rotation matrix of q; the transformation's rotation is Ry(-h) Rx(-p) Rz(b), so q's
    // matrix is split as Ry(a) Rx(e) Rz(g) with h = -a, p = -e, b = g.
    const double r00 = 1 - 2 * (y * y + z * z), r02 = 2 * (x * z + w * y);
    const double r10 = 2 * (x * y + w * z), r11 = 1 - 2 * (x * x + z * z), r12 = 2 * (y * z - w * x);
    const double r20 = 2 * (x * z - w * y), r22 = 1 - 2 * (x * x + y * y);
    const double e = std::asin(std::clamp(-r12, -1.0, 1.0));
    double a, g;
    if (std::fabs(r12) < 1 - 1e-12) {
        a = std::atan2(r02, r22);
        g = std::atan2(r10, r11);
    } else {
        a = std::atan2(-r20, r00);
        g = 0;
    }
    return {static_cast<float>(-a), static_cast<float>(-e), static_cast<float>(g)};
}

bool gltf_animated_nodes(const std::string& path, std::vector<std::string>& names, std::string* error)
{
    tinygltf::Model model;
    if (!load_model(path, model, error))
        return false;
    names.clear();
    for (std::size_t i = 0; i < model.nodes.size(); ++i) {
        bool moved = false;
        for (const tinygltf::Animation& a : model.animations)
            for (const tinygltf::AnimationChannel& c : a.channels)
                moved = moved || (c.target_node == static_cast<int>(i) && c.target_path != "weights");
        if (moved)
            names.push_back(model.nodes[i].name);
    }
    return true;
}

bool gltf_motion(const std::string& path, const std::string& node_name, const std::string& animation_name,
                 double end, source_motion& out, std::string* error, std::string* note)
{
    tinygltf::Model model;
    if (!load_model(path, model, error))
        return false;
    int node = -1;
    for (std::size_t i = 0; i < model.nodes.size(); ++i)
        if (model.nodes[i].name == node_name)
            node = static_cast<int>(i);
    if (node < 0)
        return fail(error, path + ": no node named " + node_name + " (its nodes: " + name_list(model.nodes) + ")");
    const tinygltf::Node& n = model.nodes[static_cast<std::size_t>(node)];

    const tinygltf::Animation* animation = nullptr;
    std::vector<const tinygltf::Animation*> moving;
    for (const tinygltf::Animation& a : model.animations)
        if (moves(a, node))
            moving.push_back(&a);
    if (!animation_name.empty()) {
        for (const tinygltf::Animation& a : model.animations)
            if (a.name == animation_name && !animation)
                animation = &a;
        if (!animation)
            return fail(error, path + ": no animation named " + animation_name + " (its animations: " +
                                   name_list(model.animations) + ")");
        if (!moves(*animation, node))
            return fail(error, path + ": animation " + animation_name + " does not move node " + node_name);
    } else if (!moving.empty()) {
        animation = moving.front();
        if (moving.size() > 1 && note) {
            std::string names;
            for (const tinygltf::Animation* a : moving)
                names += (names.empty() ? "" : ", ") + a->name;
            *note = std::to_string(moving.size()) + " animations move node " + node_name + " (" + names +
                    "): took the first; --animation picks another";
        }
    }
    if (!animation)
        return fail(error, path + ": no animation moves node " + node_name + " (its animations: " +
                               name_list(model.animations) + ")");

    std::shared_ptr<const track> tracks[3];
    const char* paths[3] = {"translation", "rotation", "scale"};
    for (const tinygltf::AnimationChannel& c : animation->channels)
        for (int p = 0; p < 3; ++p)
            if (c.target_node == node && c.target_path == paths[p]) {
                if (c.sampler < 0 || static_cast<std::size_t>(c.sampler) >= animation->samplers.size())
                    return fail(error, path + ": the " + paths[p] + " channel of node " + node_name +
                                           " names a missing sampler");
                auto tr = std::make_shared<track>();
                if (!read_track(model, animation->samplers[static_cast<std::size_t>(c.sampler)], p == 1 ? 4 : 3, *tr,
                                error))
                    return fail(error, path + ": " + paths[p] + " of node " + node_name + ": " + *error);
                tracks[p] = std::move(tr);
            }
    if (!n.matrix.empty() && (!tracks[0] || !tracks[1] || !tracks[2]))
        return fail(error, path + ": node " + node_name +
                               " has a matrix; an animated node has translation, rotation and scale");

    // Translation: z mirrored into the LightWave frame.
    if (tracks[0]) {
        const float tolerance = std::max(1e-6f, 1e-3f * path_size(*tracks[0], end) / std::sqrt(3.0f));
        for (std::size_t c = 0; c < 3; ++c)
            out[c] = component_curve(tracks[0], c, c == 2 ? -1.0f : 1.0f, tolerance);
    } else {
        for (std::size_t c = 0; c < 3; ++c)
            out[c] = constant_curve(n.translation.size() == 3 ? static_cast<float>((c == 2 ? -1 : 1) * n.translation[c]) : 0);
    }

    // Rotation: each of heading, pitch and bank gets a third of the tolerance, as the composed
    // rotation strays at most by the sum of its factors' errors.
    if (tracks[1]) {
        auto angles = std::make_shared<const angle_track>(tracks[1], end);
        const float tolerance = static_cast<float>(gltf_rotation_tolerance_degrees * pi / 180 / 3);
        for (std::size_t c = 0; c < 3; ++c) {
            source_curve& curve = out[3 + c];
            curve.value = [angles, c](double t) { return angles->at(t, c); };
            curve.tolerance = tolerance;
            curve.bake_reason = "glTF's rotations are quaternions, interpolated spherically: converted to yaw, "
                                "pitch and bank within 0.1 degree";
            curve.constant = tracks[1]->count() == 1;
            for (std::size_t k = 0; k < tracks[1]->count(); ++k) {
                curve.knots.push_back(tracks[1]->times[k]);
                if (tracks[1]->mode == interpolation::step && k > 0)
                    curve.breaks.push_back(tracks[1]->times[k]);
            }
            if (tracks[1]->mode == interpolation::step) {
                std::vector<Key> keys;
                for (float t : tracks[1]->times) {
                    Key key;
                    key.time = t;
                    key.value = curve.value(t);
                    key.shape = Shape::Stepped;
                    keys.push_back(key);
                }
                curve.exact = std::move(keys);
            }
        }
    } else {
        const std::array<double, 4> q =
            n.rotation.size() == 4 ? std::array<double, 4>{n.rotation[0], n.rotation[1], n.rotation[2], n.rotation[3]}
                                   : std::array<double, 4>{0, 0, 0, 1};
        const auto hpb = heading_pitch_bank(q);
        for (std::size_t c = 0; c < 3; ++c)
            out[3 + c] = constant_curve(hpb[c]);
    }

    if (tracks[2]) {
        float largest = 0;
        for (std::size_t k = 0; k < tracks[2]->count(); ++k)
            for (std::size_t c = 0; c < 3; ++c)
                largest = std::max(largest, std::fabs(tracks[2]->value(k)[c]));
        for (std::size_t c = 0; c < 3; ++c)
            out[6 + c] = component_curve(tracks[2], c, 1.0f, std::max(1e-6f, 1e-3f * largest));
    } else {
        for (std::size_t c = 0; c < 3; ++c)
            out[6 + c] = constant_curve(n.scale.size() == 3 ? static_cast<float>(n.scale[c]) : 1);
    }
    return true;
}

} // namespace quor::interchange
