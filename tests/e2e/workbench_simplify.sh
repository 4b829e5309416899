#!/usr/bin/env bash
# The import panel's simplification through the real window: with a camera exported a key a frame
# in the start folder, ticking Simplify shows what the import will do before it is pressed, and
# Import then applies the simplification that quor-mem's --simplify makes of the same file.
set -u
source "$(dirname "$0")/lib.bash"
needs_workbench
dir=$(make_workdir)
data=$(data_dir) || { echo "FAIL: could not build the data"; exit 1; }
mkdir "$dir/data"
cp "$data/tesk.mem" "$dir/data/tesk.mem"
cp "$data/tesk.mem" "$dir/cli.mem"
ln -s "$data/demo.mp3" "$dir/data/demo.mp3"
# 31 s at 24 fps: a sway along x, a drift along z, a slow turn back and forth.
python3 - "$dir/shot.gltf" <<'PY'
import base64, json, math, struct, sys
n = 745
t = [i / 24 for i in range(n)]
xyz = [v for s in t for v in (3 * math.sin(s / 2), 1.5, -0.2 * s)]
half = [0.1 * math.sin(s / 3) for s in t]
rot = [v for h in half for v in (0, math.sin(h), 0, math.cos(h))]
data = struct.pack("<%df" % n, *t) + struct.pack("<%df" % (3 * n), *xyz) + struct.pack("<%df" % (4 * n), *rot)
uri = "data:application/octet-stream;base64," + base64.b64encode(data).decode()
json.dump({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}], "nodes": [{"name": "Camera"}],
  "buffers": [{"byteLength": len(data), "uri": uri}],
  "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 4 * n},
                  {"buffer": 0, "byteOffset": 4 * n, "byteLength": 12 * n},
                  {"buffer": 0, "byteOffset": 16 * n, "byteLength": 16 * n}],
  "accessors": [{"bufferView": 0, "componentType": 5126, "count": n, "type": "SCALAR", "min": [0], "max": [t[-1]]},
                {"bufferView": 1, "componentType": 5126, "count": n, "type": "VEC3"},
                {"bufferView": 2, "componentType": 5126, "count": n, "type": "VEC4"}],
  "animations": [{"channels": [{"sampler": 0, "target": {"node": 0, "path": "translation"}},
                               {"sampler": 1, "target": {"node": 0, "path": "rotation"}}],
                  "samplers": [{"input": 0, "output": 1, "interpolation": "LINEAR"},
                               {"input": 0, "output": 2, "interpolation": "LINEAR"}]}]}, open(sys.argv[1], "w"))
PY
"$QUOR_BIN_DIR/quor-mem" motion gltf "$dir/shot.gltf" --node Camera --as camera --simplify --into "$dir/cli.mem" \
  >"$dir/cli.log" 2>&1
# In the 1280x720 window: the transport's Import..., the panel's second file (out.txt, shot.gltf,
# stderr.txt), Simplify, and Import, which the preview's three lines have moved down.
workbench_in_x "$dir" '
  preview() { ffmpeg -v error -f x11grab -draw_mouse 0 -video_size 390x40 -i "$DISPLAY+$((x + 875)),$((y + 340))" \
                -frames:v 1 -f rawvideo -pix_fmt rgb24 "$1"; }
  click 42 588; click 910 119; preview without.rgb
  click 886 326; preview with.rgb
  click 900 392
  sleep 1
  kill $pid; wait $pid'
cd "$dir"
expect_eq "$(cmp -s without.rgb with.rgb && echo same || echo differs)" differs "the preview shows with Simplify ticked"
simplified=$(grep -o "simplified keys .*" cli.log)
expect_eq "$(grep -c "keys 2236 -> " cli.log)" 1 "quor-mem simplifies the file's 2236 keys ($(head -c 300 cli.log))"
expect_contains out.txt "imported node Camera from shot.gltf into the camera; " "Import imports"
expect_contains out.txt "; $simplified" "with the simplification quor-mem makes of the file"
expect_empty_file stderr.txt "nothing on the error stream"
finish
