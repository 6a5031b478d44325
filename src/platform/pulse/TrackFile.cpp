#include "TrackFile.h"

#include <dlfcn.h>

#include <filesystem>

#include "log/Log.h"

namespace {

constexpr const char* kModule = "alarm-track-gst.so";

using OpenTrack = decltype(&alarmOpenTrack);

// The decoder module in modules/ beside the program (in the build tree and
// once installed), else in the build tree's (for programs built elsewhere in it).
OpenTrack loadDecoder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path beside =
        program.empty() ? program : program.parent_path() / "modules";
    std::string why = "no folder to look in";
    for (const std::filesystem::path& folder :
         {beside, std::filesystem::path(ALARM_TRACK_MODULE_DIR)}) {
        if (folder.empty()) continue;
        void* module = ::dlopen((folder / kModule).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            why = ::dlerror();
            continue;
        }
        if (auto open = reinterpret_cast<OpenTrack>(::dlsym(module, "alarmOpenTrack"))) return open;
        why = ::dlerror();
    }
    logDebug(LogCategory::audio, std::string("no track decoder: ") + why);
    return nullptr;
}

}  // namespace

std::unique_ptr<TrackFile> TrackFile::open(const std::string& path) {
    // Loaded once, by the first caller; the others wait for it.
    static const OpenTrack openTrack = loadDecoder();
    if (!openTrack) return nullptr;
    return std::unique_ptr<TrackFile>(openTrack(path.c_str()));
}
