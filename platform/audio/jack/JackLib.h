// libjack, loaded when the program asks for a server rather than linked: a
// machine without a running server then never keeps jackd's libjack and what
// it pulls in (Berkeley DB) mapped, and a machine without libjack plays
// through ALSA.
// There are two: the system's (jackd2's, or PipeWire's where the distribution
// puts it in its place) and PipeWire's own, which Debian keeps apart for
// `pw-jack`; the program asks both, so that it reaches PipeWire without it.
//
// Threads: Load and UnloadUnused on the control thread; the table itself is
// read-only once loaded and any thread (the server's too) may call through it.
#pragma once

#include <jack/jack.h>
#include <jack/metadata.h>
#include <jack/uuid.h>

#include <string>
#include <vector>

namespace audio::jack {

// The entry points the program uses, named without their "jack_" prefix.
#define SONDARIUM_JACK_FUNCTIONS(F)                                                                       \
    F(activate) F(client_close) F(client_open) F(connect) F(free) F(get_buffer_size)                      \
    F(get_client_name) F(get_ports) F(get_property) F(get_sample_rate) F(get_uuid_for_client_name)        \
    F(get_version_string) F(on_info_shutdown) F(port_by_id) F(port_by_name) F(port_get_aliases)           \
    F(port_get_buffer) F(port_get_latency_range) F(port_name) F(port_name_size) F(port_register)          \
    F(port_unregister) F(port_uuid) F(set_error_function) F(set_info_function)                            \
    F(set_port_connect_callback) F(set_process_callback) F(set_xrun_callback)                             \
    F(uuid_parse)

struct JackLib {
#define SONDARIUM_JACK_POINTER(name) decltype(&::jack_##name) name = nullptr;
    SONDARIUM_JACK_FUNCTIONS(SONDARIUM_JACK_POINTER)
#undef SONDARIUM_JACK_POINTER
    // The library's JACK_METADATA_PRETTY_NAME, a variable rather than a function.
    const char* metadata_pretty_name = nullptr;
};

// The libraries to ask, in order: the system's "libjack.so.0", then, while a
// PipeWire server runs, PipeWire's "pipewire-0.3/jack/libjack.so.0" in the
// folder of the system's libraries.
std::vector<std::string> JackLibraries();

// Control thread. Loads `library` (one of JackLibraries) and returns its
// table, or null when it is absent or lacks one of the entry points. While one
// library is loaded, asking for another is refused.
const JackLib* LoadJackLib(const std::string& library);
// Control thread. The file of the loaded library, for the log.
std::string LoadedJackLib();
// Control thread. Lets the library go when no client of it is open (after a
// probe that found no server), so that another may be asked.
void UnloadUnusedJackLib();
// Control thread. The table while the library is loaded; the caller holds a
// client, so it is.
const JackLib& Jack();
// Control thread. Counts the open clients that keep the library loaded.
void HoldJackLib(int delta);

}  // namespace audio::jack
