// The commands of quor-mem, one registration each: a registration adds its command's options to
// the command line and runs the command when it is chosen, setting the process's status: 0 done,
// 1 refused (one line `quor-mem: <command>: <why>` on the error stream, and no file changed).
#pragma once

#include <CLI/CLI.hpp>

namespace quor::apps {

constexpr const char* program = "quor-mem";

// build: the data file and the music from the generated content.
void add_build(CLI::App& app, int& status);
// check: a data file validated as the demo's load does, and summarised.
void add_check(CLI::App& app, int& status);
// motion export, import, lws and gltf: the motion records as text, and motion from other tools.
void add_motion(CLI::App& app, int& status);
// texture import and export: an image into a slot, a slot out as PNG.
void add_texture(CLI::App& app, int& status);
// music: a recording made into the demo's music file.
void add_music(CLI::App& app, int& status);

} // namespace quor::apps
