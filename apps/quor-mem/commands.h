// The commands of quor-mem, one registration each: a registration adds its command's options to
// the command line and, when the command is the one given, sets `chosen` to run it. A command
// returns the process's status: 0 done, 1 refused (one line `quor-mem: <command>: <why>` on the
// error stream, and no file changed).
#pragma once

#include <functional>

#include <CLI/CLI.hpp>

namespace quor::apps {

constexpr const char* program = "quor-mem";

using command = std::function<int()>;

// build: the data file and the music from the generated content.
void add_build(CLI::App& app, command& chosen);
// check: a data file validated as the demo's load does, and summarised.
void add_check(CLI::App& app, command& chosen);
// motion export, import, lws and gltf: the motion records as text, and motion from other tools.
void add_motion(CLI::App& app, command& chosen);
// texture import and export: an image into a slot, a slot out as PNG.
void add_texture(CLI::App& app, command& chosen);
// music: a recording made into the demo's music file.
void add_music(CLI::App& app, command& chosen);

} // namespace quor::apps
