// libjack, loaded when the program asks for a server rather than linked: a
// machine without a running server then never keeps libjack and what it pulls
// in (Berkeley DB) mapped, and a machine without libjack plays through ALSA.
//
// Threads: Load and UnloadUnused on the control thread; the table itself is
// read-only once loaded and any thread (the server's too) may call through it.
#pragma once

#include <jack/jack.h>
#include <jack/metadata.h>
#include <jack/uuid.h>

namespace audio::jack {

// The entry points the program uses, named without their "jack_" prefix.
#define SONDARIUM_JACK_FUNCTIONS(F)                                                                       \
    F(activate) F(client_close) F(client_open) F(connect) F(free) F(get_buffer_size) F(get_client_name)     \
    F(get_ports) F(get_property) F(get_sample_rate) F(get_uuid_for_client_name) F(on_info_shutdown)         \
    F(port_by_id) F(port_by_name) F(port_get_aliases) F(port_get_buffer) F(port_get_latency_range)          \
    F(port_name) F(port_name_size) F(port_register) F(port_unregister) F(port_uuid) F(set_error_function)  \
    F(set_info_function) F(set_port_connect_callback) F(set_process_callback) F(set_xrun_callback)         \
    F(uuid_parse)

struct JackLib {
#define SONDARIUM_JACK_POINTER(name) decltype(&::jack_##name) name = nullptr;
    SONDARIUM_JACK_FUNCTIONS(SONDARIUM_JACK_POINTER)
#undef SONDARIUM_JACK_POINTER
    // The library's JACK_METADATA_PRETTY_NAME, a variable rather than a function.
    const char* metadata_pretty_name = nullptr;
};

// Control thread. The loaded library's table, or null when libjack is absent
// or lacks one of the entry points.
const JackLib* LoadJackLib();
// Control thread. Unloads the library when no client of it is open (after a
// probe that found no server).
void UnloadUnusedJackLib();
// Control thread. The table while the library is loaded; the caller holds a
// client, so it is.
const JackLib& Jack();
// Control thread. Counts the open clients that keep the library loaded.
void HoldJackLib(int delta);

}  // namespace audio::jack
