#include "common/JackServer.h"

#include <dlfcn.h>
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

namespace jacktest {

Lib::Lib(const std::string& file) {
    void* h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) return;
    bool complete = true;
#define JACKTEST_LOOKUP(name)                                                          \
    name = reinterpret_cast<decltype(name)>(dlsym(h, "jack_" #name));                  \
    complete = complete && name;
    SONDARIUM_JACK_FUNCTIONS(JACKTEST_LOOKUP) JACKTEST_LOOKUP(set_property)
#undef JACKTEST_LOOKUP
    const auto* key = static_cast<const char* const*>(dlsym(h, "JACK_METADATA_PRETTY_NAME"));
    pretty_name = key ? *key : nullptr;
    if (complete && pretty_name) handle_ = h;
    else dlclose(h);
}

Lib::~Lib() {
    if (handle_) dlclose(handle_);
}

std::string FindProgram(const std::string& name) {
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin");
    for (std::string dir; std::getline(path, dir, ':');)
        if (access((dir + "/" + name).c_str(), X_OK) == 0) return dir + "/" + name;
    return "";
}

std::string FindJackd() { return FindProgram("jackd"); }

Server::Server(const std::string& name, unsigned rate, unsigned period) : name_(name) {
    const std::string jackd = FindJackd();
    if (jackd.empty()) {
        why_ = "jackd is not installed";
        return;
    }
    if (!jack_.Ok()) {
        why_ = "libjack.so.0 is not installed";
        return;
    }
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    // Until it answers, libjack would print every refused connection.
    jack_.set_error_function([](const char*) {});
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
        if (jack_client_t* c = jack_.client_open("probe", JackNoStartServer, &st)) {
            jack_.client_close(c);
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
    jack_client_t* c = jack_.client_open("namer", JackNoStartServer, &st);
    if (!c) return false;
    bool ok = false;
    if (char* uuid = jack_.get_uuid_for_client_name(c, client.c_str())) {
        jack_uuid_t u;
        ok = jack_.uuid_parse(uuid, &u) == 0 && jack_.set_property(c, u, jack_.pretty_name, name.c_str(), "text/plain") == 0;
        jack_.free(uuid);
    }
    jack_.client_close(c);
    return ok;
}

Recorder::Recorder(const std::string& client, double seconds, const std::string& library) : lib_(library) {
    if (!lib_.Ok()) return;
    jack_status_t st;
    jack_ = lib_.client_open("recorder", JackNoStartServer, &st);
    if (!jack_) return;
    const char** names = lib_.get_ports(jack_, (client + ":").c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    std::vector<std::string> sources;
    for (const char** n = names; n && *n; ++n) sources.push_back(*n);
    if (names) lib_.free(names);
    std::sort(sources.begin(), sources.end());
    const std::size_t cap = static_cast<std::size_t>(seconds * lib_.get_sample_rate(jack_));
    for (std::size_t k = 0; k < sources.size(); ++k) {
        in_.push_back(lib_.port_register(jack_, ("in" + std::to_string(k + 1)).c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0));
        data_.emplace_back(cap, 0.0f);
    }
    lib_.set_process_callback(jack_, &OnProcess, this);
    lib_.activate(jack_);
    for (std::size_t k = 0; k < sources.size(); ++k) lib_.connect(jack_, sources[k].c_str(), lib_.port_name(in_[k]));
}

Recorder::~Recorder() { Stop(); }

void Recorder::Stop() {
    if (jack_) lib_.client_close(jack_);
    jack_ = nullptr;
}

int Recorder::OnProcess(jack_nframes_t n, void* arg) {
    auto* self = static_cast<Recorder*>(arg);
    const std::size_t at = self->frames_.load(std::memory_order_relaxed);
    if (self->data_.empty() || at + n > self->data_[0].size()) return 0;
    for (std::size_t k = 0; k < self->in_.size(); ++k) {
        const auto* in = static_cast<const float*>(self->lib_.port_get_buffer(self->in_[k], n));
        std::copy_n(in, n, self->data_[k].begin() + static_cast<std::ptrdiff_t>(at));
    }
    self->frames_.store(at + n, std::memory_order_release);
    return 0;
}

bool Recorder::WritePair(std::size_t p, const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t f = 0; f < Frames(); ++f) {
        for (std::size_t k = 2 * p; k < 2 * p + 2; ++k) {
            const long v = std::clamp(std::lrint(data_[k][f] * 32768.0f), -32768L, 32767L);
            const char bytes[2] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
            out.write(bytes, 2);
        }
    }
    return out.good();
}

}  // namespace jacktest

namespace jacktest {
namespace {

bool WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path);
    out << text;
    return out.good();
}

}  // namespace

bool PipeWire::Installed() {
    return !FindProgram("pipewire").empty() && !FindProgram("wireplumber").empty() &&
           !FindProgram("dbus-daemon").empty() && !FindProgram("pw-cli").empty() && access(Library().c_str(), R_OK) == 0;
}

std::string PipeWire::Library() { return SONDARIUM_MULTIARCH_LIBDIR "/pipewire-0.3/jack/libjack.so.0"; }

PipeWire::PipeWire(unsigned rate, unsigned period) {
    char tmpl[] = "/tmp/sondarium-pipewire-XXXXXX";
    if (!mkdtemp(tmpl)) {
        why_ = "no private runtime folder";
        return;
    }
    dir_ = tmpl;
    // The graph at the excerpts' rate alone, and the interface; the session
    // manager without its monitors, which would open the machine's own cards.
    std::string positions;
    for (int k = 0; k < 8; ++k) positions += " AUX" + std::to_string(k);
    const std::string r = std::to_string(rate), q = std::to_string(period);
    const bool written =
        WriteFile(dir_ + "/config/pipewire/pipewire.conf.d/ua101.conf",
                  "context.properties = { default.clock.rate = " + r + " default.clock.allowed-rates = [ " + r + " ]\n"
                  "  default.clock.quantum = " + q + " default.clock.min-quantum = " + q + " }\n"
                  "context.objects = [ { factory = adapter args = { factory.name = support.null-audio-sink\n"
                  "  node.name = \"" + kSink + "\" node.description = \"" + kSink + "\" node.nick = \"UA-101\"\n"
                  "  media.class = Audio/Sink audio.channels = 8 audio.position = [" + positions + " ] } } ]\n") &&
        WriteFile(dir_ + "/config/wireplumber/main.lua.d/51-no-devices.lua",
                  "alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\nlibcamera_monitor.enabled = false\n") &&
        WriteFile(dir_ + "/config/wireplumber/bluetooth.lua.d/51-no-devices.lua", "bluez_monitor.enabled = false\n");
    if (!written) {
        why_ = "the configuration could not be written";
        return;
    }
    const std::pair<const char*, std::string> env[] = {
        {"XDG_RUNTIME_DIR", dir_},
        {"XDG_CONFIG_HOME", dir_ + "/config"},
        {"XDG_STATE_HOME", dir_ + "/state"},
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir_ + "/bus"},
        {"JACK_DEFAULT_SERVER", "sondarium-no-jackd"},  // no jackd answers in its place
        {"PIPEWIRE_RUNTIME_DIR", ""},
        {"PIPEWIRE_REMOTE", ""}};
    for (const auto& [name, value] : env) {
        const char* before = std::getenv(name);
        saved_.emplace_back(name, before ? std::make_unique<std::string>(before) : nullptr);
        if (value.empty()) unsetenv(name);
        else setenv(name, value.c_str(), 1);
    }
    pids_.push_back(Start({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + dir_ + "/bus"}, "dbus.log"));
    if (!WaitFor("the session bus", "")) return;
    pids_.push_back(Start({"pipewire"}, "pipewire.log"));
    if (!WaitFor("the null sink", std::string("node.name = \"") + kSink + "\"")) return;
    pids_.push_back(Start({"wireplumber"}, "wireplumber.log"));
    WaitFor("WirePlumber", "application.name = \"WirePlumber\"");
}

pid_t PipeWire::Start(const std::vector<std::string>& argv, const std::string& log) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open((dir_ + "/" + log).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(out, 2);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

// Waits until `pw-cli ls` shows `shows` (the bus: until its socket is there).
bool PipeWire::WaitFor(const std::string& what, const std::string& shows) {
    for (int i = 0; i < 100; ++i) {
        if (shows.empty()) {
            if (access((dir_ + "/bus").c_str(), F_OK) == 0) return true;
        } else if (FILE* p = popen("pw-cli ls 2>/dev/null", "r")) {
            std::string text;
            char buf[4096];
            for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
            pclose(p);
            if (text.find(shows) != std::string::npos) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    why_ = what + " did not show within 10 s (logs in " + dir_ + ")";
    return false;
}

PipeWire::~PipeWire() {
    // The session manager first, the bus last: each may still talk to the next.
    for (auto it = pids_.rbegin(); it != pids_.rend(); ++it) {
        kill(*it, SIGTERM);
        int status = 0;
        for (int i = 0; i < 50 && waitpid(*it, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (waitpid(*it, &status, WNOHANG) == 0) {
            kill(*it, SIGKILL);
            waitpid(*it, &status, 0);
        }
    }
    for (const auto& [name, before] : saved_) {
        if (before) setenv(name.c_str(), before->c_str(), 1);
        else unsetenv(name.c_str());
    }
    if (!dir_.empty() && Running()) std::filesystem::remove_all(dir_);
}

}  // namespace jacktest
