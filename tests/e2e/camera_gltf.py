#!/usr/bin/env python3
"""Writes a glTF file whose node "Camera" moves along x from 0 at 0 s to X at 2 s, as an exporter
would: usage camera_gltf.py PATH X [rename|cut]. rename (the default) writes PATH.part and renames
it over PATH; cut writes PATH in place, stops halfway for a moment, then writes the rest."""
import base64, json, os, struct, sys, time

path, x = sys.argv[1], float(sys.argv[2])
how = sys.argv[3] if len(sys.argv) > 3 else "rename"
data = struct.pack("<8f", 0, 2, 0, 0, 0, x, 0, 0)
text = json.dumps({
    "asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}], "nodes": [{"name": "Camera"}],
    "buffers": [{"byteLength": len(data), "uri": "data:application/octet-stream;base64," + base64.b64encode(data).decode()}],
    "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 8}, {"buffer": 0, "byteOffset": 8, "byteLength": 24}],
    "accessors": [{"bufferView": 0, "componentType": 5126, "count": 2, "type": "SCALAR", "min": [0], "max": [2]},
                  {"bufferView": 1, "componentType": 5126, "count": 2, "type": "VEC3"}],
    "animations": [{"channels": [{"sampler": 0, "target": {"node": 0, "path": "translation"}}],
                    "samplers": [{"input": 0, "output": 1, "interpolation": "LINEAR"}]}]})
if how == "cut":
    with open(path, "w") as f:
        f.write(text[:len(text) // 2])
        f.flush()
        time.sleep(0.3)
        f.write(text[len(text) // 2:])
else:
    with open(path + ".part", "w") as f:
        f.write(text)
    os.replace(path + ".part", path)
