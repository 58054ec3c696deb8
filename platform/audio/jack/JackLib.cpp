#include "platform/audio/jack/JackLib.h"

#include <dlfcn.h>

namespace audio::jack {
namespace {

void* g_handle = nullptr;
JackLib g_lib;
int g_clients = 0;

}  // namespace

const JackLib* LoadJackLib() {
    if (g_handle) return &g_lib;
    void* h = dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL);
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
    return &g_lib;
}

void UnloadUnusedJackLib() {
    if (!g_handle || g_clients > 0) return;
    dlclose(g_handle);
    g_handle = nullptr;
    g_lib = JackLib{};
}

const JackLib& Jack() { return g_lib; }

void HoldJackLib(int delta) { g_clients += delta; }

}  // namespace audio::jack
