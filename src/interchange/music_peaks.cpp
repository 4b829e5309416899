// The cache: "quor-peaks 1\n", then little-endian u64 music size, u64 hash, u32 peak count, the
// beat (f64 bpm, f64 first beat, i32 onsets, u8 found), then per peak a signed byte low and high.
#include "interchange/music_peaks.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "interchange/music_import.h"
#include "io/replace_file.h"
#include "io/whole_file.h"

namespace quor::interchange {
namespace {

constexpr char magic[] = "quor-peaks 1\n";
constexpr std::size_t magic_size = sizeof magic - 1;
constexpr std::size_t header_size = magic_size + 8 + 8 + 4 + 8 + 8 + 4 + 1;
// A music an hour long, more than any import keeps.
constexpr std::uint32_t max_peaks = 3600 * peaks_per_second;
// The music files the workbench reads: the demo's is about 0.5 MB.
constexpr std::size_t max_music_bytes = 256u << 20;

template <class T> void put(std::vector<char>& out, T v)
{
    const std::size_t at = out.size();
    out.resize(at + sizeof v);
    std::memcpy(out.data() + at, &v, sizeof v);
}

template <class T> T take(const char*& at)
{
    T v;
    std::memcpy(&v, at, sizeof v);
    at += sizeof v;
    return v;
}

signed char to_byte(float v) { return static_cast<signed char>(std::lround(std::clamp(v, -1.0f, 1.0f) * 127)); }

} // namespace

music_peaks compute_peaks(std::span<const float> mono, int rate)
{
    music_peaks p;
    if (rate <= 0)
        return p;
    const std::size_t count =
        (mono.size() * peaks_per_second + static_cast<std::size_t>(rate) - 1) / static_cast<std::size_t>(rate);
    p.low.assign(count, 0);
    p.high.assign(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t from = i * static_cast<std::size_t>(rate) / peaks_per_second;
        const std::size_t to = std::min(mono.size(), (i + 1) * static_cast<std::size_t>(rate) / peaks_per_second);
        if (from >= to)
            continue;
        const auto [lo, hi] = std::minmax_element(mono.begin() + static_cast<std::ptrdiff_t>(from),
                                                  mono.begin() + static_cast<std::ptrdiff_t>(to));
        p.low[i] = std::clamp(*lo, -1.0f, 1.0f);
        p.high[i] = std::clamp(*hi, -1.0f, 1.0f);
    }
    return p;
}

std::uint64_t bytes_hash(std::span<const char> bytes)
{
    std::uint64_t h = 14695981039346656037ull;
    for (char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

std::string peaks_path(const std::string& music_path)
{
    const std::size_t slash = music_path.rfind('/');
    const std::size_t dot = music_path.rfind('.');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    const bool has_extension = dot != std::string::npos && dot > name;
    return (has_extension ? music_path.substr(0, dot) : music_path) + ".peaks";
}

std::vector<char> write_peaks(const music_peaks& peaks, std::uint64_t music_size, std::uint64_t hash)
{
    std::vector<char> out(magic, magic + magic_size);
    put(out, music_size);
    put(out, hash);
    put(out, static_cast<std::uint32_t>(peaks.low.size()));
    put(out, peaks.beat.bpm);
    put(out, peaks.beat.first_beat);
    put(out, static_cast<std::int32_t>(peaks.beat.onsets_used));
    put(out, static_cast<std::uint8_t>(peaks.beat_found));
    for (std::size_t i = 0; i < peaks.low.size(); ++i) {
        out.push_back(static_cast<char>(to_byte(peaks.low[i])));
        out.push_back(static_cast<char>(to_byte(peaks.high[i])));
    }
    return out;
}

bool read_peaks(std::span<const char> bytes, std::uint64_t music_size, std::uint64_t hash, music_peaks& out)
{
    if (bytes.size() < header_size || std::memcmp(bytes.data(), magic, magic_size) != 0)
        return false;
    const char* at = bytes.data() + magic_size;
    if (take<std::uint64_t>(at) != music_size || take<std::uint64_t>(at) != hash)
        return false;
    const auto count = take<std::uint32_t>(at);
    music_peaks p;
    p.beat.bpm = take<double>(at);
    p.beat.first_beat = take<double>(at);
    p.beat.onsets_used = take<std::int32_t>(at);
    const auto found = take<std::uint8_t>(at);
    if (count > max_peaks || bytes.size() != header_size + 2 * std::size_t{count} || found > 1)
        return false;
    p.beat_found = found == 1;
    if (p.beat_found && !(std::isfinite(p.beat.bpm) && p.beat.bpm > 0 && std::isfinite(p.beat.first_beat)))
        return false;
    p.low.resize(count);
    p.high.resize(count);
    // -128 is the one byte past -1: read as -1, as the writer would have written it.
    const auto sample = [](char c) { return std::max(-127, static_cast<int>(static_cast<signed char>(c))) / 127.0f; };
    for (std::size_t i = 0; i < count; ++i) {
        p.low[i] = sample(*at++);
        p.high[i] = sample(*at++);
    }
    out = std::move(p);
    return true;
}

bool load_music_peaks(const std::string& music_path, music_peaks& out, bool& from_cache, std::string* error)
{
    std::string music;
    if (!read_whole_file(music_path, max_music_bytes, music, error))
        return false;
    const std::span<const char> music_bytes(music.data(), music.size());
    const std::uint64_t hash = bytes_hash(music_bytes);
    const std::string cache = peaks_path(music_path);
    // A cache that cannot be read is made again: no failure.
    std::string cached, unread;
    if (read_whole_file(cache, header_size + 2 * std::size_t{max_peaks}, cached, &unread) &&
        read_peaks(std::span<const char>(cached.data(), cached.size()), music.size(), hash, out)) {
        from_cache = true;
        return true;
    }
    stereo_pcm pcm;
    int rate = 0;
    if (!read_music(music_path, pcm, rate, error, max_music_seconds))
        return false;
    const std::vector<float> mono = mono_of(pcm);
    music_peaks p = compute_peaks(mono, rate);
    p.beat_found = estimate_beat(mono, rate, p.beat, nullptr);
    // What the workbench draws is what the cache gives back, kept to 8 bits.
    const std::vector<char> bytes = write_peaks(p, music.size(), hash);
    read_peaks(bytes, music.size(), hash, p);
    const file_check same = [&](std::span<const char> back) -> std::string {
        music_peaks again;
        return read_peaks(back, music.size(), hash, again) && again == p ? "" : "the peaks do not read back";
    };
    replace_options options;
    options.lock_wait_ms = 0;
    replace_file(cache, bytes, same, nullptr, options);
    from_cache = false;
    out = std::move(p);
    return true;
}

} // namespace quor::interchange
