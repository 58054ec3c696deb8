// A private JACK server for the tests and benchmarks: jackd with the dummy
// driver (no real-time scheduling, no sound card), reached by this process
// through JACK_DEFAULT_SERVER, and a recorder client that reads the program's
// output ports in the same cycles.
#pragma once

#include <jack/jack.h>
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace jacktest {

// Where jackd is, or empty when it is not installed.
std::string FindJackd();

class Server {
public:
    // Starts `jackd -n NAME -r -S -d dummy -r RATE -p PERIOD -P 8` (synchronous:
    // a cycle ends when every client has run, however busy the machine) and waits until
    // it answers; Why() says what went wrong when it does not. JACK keeps a
    // few server names machine-wide and takes a name back only from a server
    // that is gone, so each caller uses a fixed NAME of its own.
    Server(const std::string& name, unsigned rate, unsigned period);
    ~Server();
    bool Running() const { return pid_ > 0 && why_.empty(); }
    const std::string& Why() const { return why_; }
    // Kills the server at once, as a crash would (SIGKILL), or lets it shut
    // down in order (SIGTERM).
    void Kill(int signal = 9);
    // Sets the pretty-name metadata of a client of the server.
    bool SetPrettyName(const std::string& client, const std::string& name);

private:
    pid_t pid_ = -1;
    std::string name_, why_;
};

// Records every output port of `client` (sorted by name) from the moment it
// is made, into memory sized for `seconds`; the cycles beyond are dropped.
class Recorder {
public:
    Recorder(const std::string& client, double seconds);
    ~Recorder();
    bool Ok() const { return jack_ && !in_.empty(); }
    std::size_t Ports() const { return in_.size(); }
    // After Stop: the frames of port k.
    void Stop();
    const std::vector<float>& Channel(std::size_t k) const { return data_[k]; }
    std::size_t Frames() const { return frames_.load(); }

    // Writes ports 2p and 2p+1 as raw S32_LE stereo, as an ALSA file PCM
    // holds it (16-bit values, in the top half of each sample).
    bool WritePair(std::size_t p, const std::string& path) const;

private:
    static int OnProcess(jack_nframes_t n, void* arg);
    jack_client_t* jack_ = nullptr;
    std::vector<jack_port_t*> in_;
    std::vector<std::vector<float>> data_;
    std::atomic<std::size_t> frames_{0};

};

}  // namespace jacktest
