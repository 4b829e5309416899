// Arbitrary bytes as a glTF file (JSON or binary, by their first bytes), read from a folder of its
// own as an import reads it: a refusal is one line naming the file; the channels of an accepted
// node evaluate. Files it names are looked for only in that folder, which holds nothing else.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "interchange/gltf_motion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string folder = [] {
        std::string dir = "/tmp/quor-gltf-fuzz-" + std::to_string(getpid());
        mkdir(dir.c_str(), 0700);
        return dir;
    }();
    const std::string path = folder + "/scene.gltf";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                  static_cast<std::streamsize>(size));
    quor::interchange::source_motion motion;
    std::string error;
    if (!quor::interchange::gltf_motion(path, "N", "", 31, motion, &error, nullptr)) {
        if (error.rfind(path, 0) != 0 || error.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    for (const quor::interchange::source_curve& c : motion)
        for (double t : {0.0, 0.5, 7.25, 31.0})
            static_cast<void>(c.value(t));
    return 0;
}
