#include "common/JackServer.h"

#include <fcntl.h>
#include <jack/metadata.h>
#include <jack/uuid.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace jacktest {

std::string FindJackd() {
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin");
    for (std::string dir; std::getline(path, dir, ':');)
        if (access((dir + "/jackd").c_str(), X_OK) == 0) return dir + "/jackd";
    return "";
}

Server::Server(const std::string& name, unsigned rate, unsigned period) : name_(name) {
    const std::string jackd = FindJackd();
    if (jackd.empty()) {
        why_ = "jackd is not installed";
        return;
    }
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    // Until it answers, libjack would print every refused connection.
    jack_set_error_function([](const char*) {});
    const std::string r = std::to_string(rate), p = std::to_string(period);
    pid_ = fork();
    if (pid_ == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(jackd.c_str(), "jackd", "-n", name_.c_str(), "-r", "-S", "-d", "dummy", "-r", r.c_str(), "-p", p.c_str(), "-P",
              "8", "-C", "0", static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 100; ++i) {
        jack_status_t st;
        if (jack_client_t* c = jack_client_open("probe", JackNoStartServer, &st)) {
            jack_client_close(c);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    why_ = "jackd did not answer within 5 s";
}

Server::~Server() {
    Kill(SIGTERM);
    unsetenv("JACK_DEFAULT_SERVER");
}

void Server::Kill(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

bool Server::SetPrettyName(const std::string& client, const std::string& name) {
    jack_status_t st;
    jack_client_t* c = jack_client_open("namer", JackNoStartServer, &st);
    if (!c) return false;
    bool ok = false;
    if (char* uuid = jack_get_uuid_for_client_name(c, client.c_str())) {
        jack_uuid_t u;
        ok = jack_uuid_parse(uuid, &u) == 0 && jack_set_property(c, u, JACK_METADATA_PRETTY_NAME, name.c_str(), "text/plain") == 0;
        jack_free(uuid);
    }
    jack_client_close(c);
    return ok;
}

Recorder::Recorder(const std::string& client, double seconds) {
    jack_status_t st;
    jack_ = jack_client_open("recorder", JackNoStartServer, &st);
    if (!jack_) return;
    const char** names = jack_get_ports(jack_, (client + ":").c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    std::vector<std::string> sources;
    for (const char** n = names; n && *n; ++n) sources.push_back(*n);
    if (names) jack_free(names);
    std::sort(sources.begin(), sources.end());
    const std::size_t cap = static_cast<std::size_t>(seconds * jack_get_sample_rate(jack_));
    for (std::size_t k = 0; k < sources.size(); ++k) {
        in_.push_back(jack_port_register(jack_, ("in" + std::to_string(k + 1)).c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0));
        data_.emplace_back(cap, 0.0f);
    }
    jack_set_process_callback(jack_, &OnProcess, this);
    jack_activate(jack_);
    for (std::size_t k = 0; k < sources.size(); ++k) jack_connect(jack_, sources[k].c_str(), jack_port_name(in_[k]));
}

Recorder::~Recorder() { Stop(); }

void Recorder::Stop() {
    if (jack_) jack_client_close(jack_);
    jack_ = nullptr;
}

int Recorder::OnProcess(jack_nframes_t n, void* arg) {
    auto* self = static_cast<Recorder*>(arg);
    const std::size_t at = self->frames_.load(std::memory_order_relaxed);
    if (self->data_.empty() || at + n > self->data_[0].size()) return 0;
    for (std::size_t k = 0; k < self->in_.size(); ++k) {
        const auto* in = static_cast<const float*>(jack_port_get_buffer(self->in_[k], n));
        std::copy_n(in, n, self->data_[k].begin() + static_cast<std::ptrdiff_t>(at));
    }
    self->frames_.store(at + n, std::memory_order_release);
    return 0;
}

bool Recorder::WritePair(std::size_t p, const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t f = 0; f < Frames(); ++f) {
        for (std::size_t k = 2 * p; k < 2 * p + 2; ++k) {
            const long v = std::clamp(std::lrint(data_[k][f] * 32768.0f), -32768L, 32767L) * 65536L;
            const char bytes[4] = {0, 0, static_cast<char>(v >> 16 & 0xFF), static_cast<char>(v >> 24 & 0xFF)};
            out.write(bytes, 4);
        }
    }
    return out.good();
}

}  // namespace jacktest
