#include "platform/audio/jack/JackLib.h"

#include <alsa/asoundlib.h>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace audio::jack {
namespace {

void* g_handle = nullptr;
JackLib g_lib;
std::string g_library;  // as asked for
int g_clients = 0;

// Whether a PipeWire server runs on the machine. Its JACK library costs tens
// of milliseconds to set up before it finds no server, and stays mapped
// after: a look at the process list first keeps a machine without PipeWire
// starting as fast and as small as before.
bool PipeWireRuns() {
    DIR* proc = opendir("/proc");
    if (!proc) return true;  // cannot tell: ask the library
    bool found = false;
    for (const dirent* e; !found && (e = readdir(proc));) {
        if (e->d_name[0] < '1' || e->d_name[0] > '9') continue;
        char comm[32] = {};
        const int fd = open(("/proc/" + std::string(e->d_name) + "/comm").c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        const ssize_t n = read(fd, comm, sizeof comm - 1);
        close(fd);
        found = n > 0 && std::strcmp(comm, "pipewire\n") == 0;
    }
    closedir(proc);
    return found;
}

}  // namespace

std::vector<std::string> JackLibraries() {
    std::vector<std::string> list{"libjack.so.0"};
    if (!PipeWireRuns()) return list;
    // The system's libraries are where ALSA's is: /usr/lib/x86_64-linux-gnu on
    // Debian, /usr/lib64 elsewhere; PipeWire's JACK library is under it on both.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&snd_asoundlib_version), &info) && info.dli_fname) {
        const std::string alsa = info.dli_fname;
        const std::size_t slash = alsa.rfind('/');
        char* dir = slash == std::string::npos ? nullptr : realpath(alsa.substr(0, slash).c_str(), nullptr);
        if (dir) list.push_back(std::string(dir) + "/pipewire-0.3/jack/libjack.so.0");
        std::free(dir);
    }
    return list;
}

const JackLib* LoadJackLib(const std::string& library) {
    if (g_handle) return g_library == library ? &g_lib : nullptr;
    // PipeWire's stays mapped once loaded: unloaded, it would leave the state
    // it set up on the heap. It is loaded only where PipeWire runs.
    const bool pipewire = library.find("/pipewire-0.3/") != std::string::npos;
    void* h = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL | (pipewire ? RTLD_NODELETE : 0));
    if (!h) return nullptr;
    JackLib lib;
    bool complete = true;
#define SONDARIUM_JACK_LOOKUP(name)                                                               \
    lib.name = reinterpret_cast<decltype(lib.name)>(dlsym(h, "jack_" #name));                   \
    complete = complete && lib.name;
    SONDARIUM_JACK_FUNCTIONS(SONDARIUM_JACK_LOOKUP)
#undef SONDARIUM_JACK_LOOKUP
    const auto* key = static_cast<const char* const*>(dlsym(h, "JACK_METADATA_PRETTY_NAME"));
    if (key) lib.metadata_pretty_name = *key;
    if (!complete || !lib.metadata_pretty_name) {
        dlclose(h);
        return nullptr;
    }
    g_handle = h;
    g_lib = lib;
    g_library = library;
    return &g_lib;
}

std::string LoadedJackLib() {
    link_map* map = nullptr;
    if (!g_handle || dlinfo(g_handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return g_library;
    return map->l_name;
}

void UnloadUnusedJackLib() {
    if (!g_handle || g_clients > 0) return;
    dlclose(g_handle);
    g_handle = nullptr;
    g_lib = JackLib{};
    g_library.clear();
}

const JackLib& Jack() { return g_lib; }

void HoldJackLib(int delta) { g_clients += delta; }

}  // namespace audio::jack
