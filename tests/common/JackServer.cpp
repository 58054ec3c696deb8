#include "common/JackServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/audio/jack/JackLib.h"

namespace jacktest {
namespace {

using audio::jack::Jack;

std::string FindProgram(const std::string& name) {
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin");
    for (std::string dir; std::getline(path, dir, ':');)
        if (access((dir + "/" + name).c_str(), X_OK) == 0) return dir + "/" + name;
    return "";
}

}  // namespace

std::string FindJackd() { return FindProgram("jackd"); }

Server::Server(const std::string& name, unsigned rate, unsigned period) : name_(name) {
    const std::string jackd = FindJackd();
    if (jackd.empty()) {
        why_ = "jackd is not installed";
        return;
    }
    if (!audio::jack::LoadJackLib("libjack.so.0")) {
        why_ = "libjack is not installed";
        return;
    }
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    // Until it answers, libjack would print every refused connection.
    Jack().set_error_function([](const char*) {});
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
        jack_client_t* c = Jack().client_open("probe", JackNoStartServer, &st);
        if (c && Jack().client_close(c) == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // The program loads the library again when it asks for a server.
    audio::jack::UnloadUnusedJackLib();
    if (!Running()) why_ = "jackd did not answer within 5 s";
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
    const std::string set = "jack_property -s --client '" + client + "' http://jackaudio.org/metadata/pretty-name '" + name + "'";
    return std::system(set.c_str()) == 0;
}

Recorder::Recorder(const std::string& client, double seconds, const std::string& library) {
    if (!audio::jack::LoadJackLib(library)) return;
    jack_status_t st;
    jack_ = Jack().client_open("recorder", JackNoStartServer, &st);
    if (!jack_) return;  // Stop() lets the library go
    audio::jack::HoldJackLib(+1);
    const char** names = Jack().get_ports(jack_, (client + ":").c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    std::vector<std::string> sources;
    for (const char** n = names; n && *n; ++n) sources.push_back(*n);
    if (names) Jack().free(names);
    std::sort(sources.begin(), sources.end());
    const std::size_t cap = static_cast<std::size_t>(seconds * Jack().get_sample_rate(jack_));
    for (std::size_t k = 0; k < sources.size(); ++k) {
        in_.push_back(Jack().port_register(jack_, ("in" + std::to_string(k + 1)).c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0));
        data_.emplace_back(cap, 0.0f);
    }
    Jack().set_process_callback(jack_, &OnProcess, this);
    Jack().activate(jack_);
    for (std::size_t k = 0; k < sources.size(); ++k) Jack().connect(jack_, sources[k].c_str(), Jack().port_name(in_[k]));
}

Recorder::~Recorder() { Stop(); }

void Recorder::Stop() {
    if (jack_) Jack().client_close(jack_);
    if (jack_) audio::jack::HoldJackLib(-1);
    jack_ = nullptr;
    audio::jack::UnloadUnusedJackLib();
}

int Recorder::OnProcess(jack_nframes_t n, void* arg) {
    auto* self = static_cast<Recorder*>(arg);
    const std::size_t at = self->frames_.load(std::memory_order_relaxed);
    if (self->data_.empty() || at + n > self->data_[0].size()) return 0;
    for (std::size_t k = 0; k < self->in_.size(); ++k) {
        const auto* in = static_cast<const float*>(Jack().port_get_buffer(self->in_[k], n));
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

bool PipeWire::Installed() {
    return !FindProgram("pipewire").empty() && !FindProgram("wireplumber").empty() &&
           !FindProgram("dbus-run-session").empty() && !FindProgram("pw-cli").empty() && access(Library().c_str(), R_OK) == 0;
}

std::string PipeWire::Library() { return SONDARIUM_MULTIARCH_LIBDIR "/pipewire-0.3/jack/libjack.so.0"; }

PipeWire::PipeWire(unsigned rate, unsigned period) {
    char tmpl[] = "/tmp/sondarium-pipewire-XXXXXX";
    if (!mkdtemp(tmpl)) {
        why_ = "no private runtime folder";
        return;
    }
    dir_ = tmpl;
    const std::string r = std::to_string(rate), q = std::to_string(period);
    const std::pair<std::string, std::string> files[] = {
        {"pipewire/pipewire.conf.d/ua101.conf",
         "context.properties = { default.clock.rate = " + r + " default.clock.allowed-rates = [ " + r + " ]\n"
         "  default.clock.quantum = " + q + " default.clock.min-quantum = " + q + " }\n"
         "context.objects = [ { factory = adapter args = { factory.name = support.null-audio-sink\n"
         "  node.name = \"" + kSink + "\" node.description = \"" + kSink + "\" node.nick = \"UA-101\"\n"
         "  media.class = Audio/Sink audio.channels = 8 audio.position = [ AUX0 AUX1 AUX2 AUX3 AUX4 AUX5 AUX6 AUX7 ] } } ]\n"},
        {"wireplumber/main.lua.d/51-no-devices.lua",
         "alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\nlibcamera_monitor.enabled = false\n"},
        {"wireplumber/bluetooth.lua.d/51-no-devices.lua", "bluez_monitor.enabled = false\n"}};
    for (const auto& [file, text] : files) {
        std::filesystem::create_directories(std::filesystem::path(dir_ + "/config/" + file).parent_path());
        std::ofstream(dir_ + "/config/" + file) << text;
    }
    // JACK_DEFAULT_SERVER names no jackd, so that none answers in PipeWire's place.
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"XDG_RUNTIME_DIR", dir_},
                                      {"XDG_CONFIG_HOME", dir_ + "/config"}, {"XDG_STATE_HOME", dir_ + "/state"},
                                      {"JACK_DEFAULT_SERVER", "sondarium-no-jackd"}, {"PIPEWIRE_RUNTIME_DIR", ""},
                                      {"PIPEWIRE_REMOTE", ""}}) {
        saved_.emplace_back(name, std::getenv(name.c_str()) ? std::getenv(name.c_str()) : std::string(1, '\0'));
        if (value.empty()) unsetenv(name.c_str());
        else setenv(name.c_str(), value.c_str(), 1);
    }
    pid_ = fork();
    if (pid_ == 0) {
        setsid();
        const int log = open((dir_ + "/log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(log, 1);
        dup2(log, 2);
        execlp("dbus-run-session", "dbus-run-session", "--", "sh", "-c",
               "pipewire & until [ -S \"$XDG_RUNTIME_DIR/pipewire-0\" ]; do sleep 0.05; done; wireplumber & wait",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    // Ready once the sink and the session manager show.
    for (int i = 0; i < 100; ++i) {
        std::string shown;
        if (FILE* p = popen("pw-cli ls 2>/dev/null", "r")) {
            char buf[4096];
            for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) shown.append(buf, n);
            pclose(p);
        }
        if (shown.find(std::string("node.name = \"") + kSink) != std::string::npos &&
            shown.find("application.name = \"WirePlumber\"") != std::string::npos)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    why_ = "PipeWire did not show the sink and WirePlumber within 10 s (see " + dir_ + "/log)";
}

void PipeWire::Kill(int signal) {
    if (pid_ <= 0) return;
    kill(-pid_, signal);
    waitpid(pid_, nullptr, 0);
    kill(-pid_, SIGKILL);  // whatever of the group outlived its leader
    pid_ = -1;
}

PipeWire::~PipeWire() {
    Kill(SIGTERM);
    for (const auto& [name, before] : saved_) {
        if (before == std::string(1, '\0')) unsetenv(name.c_str());
        else setenv(name.c_str(), before.c_str(), 1);
    }
    if (Running()) std::filesystem::remove_all(dir_);
}

}  // namespace jacktest
