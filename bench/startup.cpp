// Start-up cost of the program against two yardsticks built the same way, a
// bare Qt main window and plain Qt showing what the program must show:
// the time from starting the process to the main window's first frame on the
// screen, and the resident memory at that frame and at rest one second later
// (before any session); beside the time, the processor time the GUI thread
// used until that frame, which the other work of a busy machine inflates far
// less than the clock. Each subject runs as a fresh process, several times,
// alternating; the figures are medians. All run under Xvfb (started here on a
// free display when the Xvfb program is installed, else on $DISPLAY if set,
// else skipped) and on Qt's offscreen platform.
//
// The subjects are bench_startup_program (the program's own entry),
// bench_startup_bare and bench_startup_floor (plain Qt showing what the
// program must show: a splash picture first, then a main window with a menu
// bar and the form's six fonts), next to this program in startup/; see
// startup/Probe.cpp.
#include <poll.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr int RUNS = 9;

long long MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

struct Sample {
    double ms = 0;
    double cpuMs = 0;
    double mbFrame = 0;
    double mbIdle = 0;
};

// Runs one subject to its report; false when it fails or stays silent.
bool RunOnce(const std::string& exe, const std::vector<std::string>& env, Sample& out) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
    posix_spawn_file_actions_addclose(&fa, fds[0]);
    std::vector<char*> envp;
    for (const std::string& s : env) envp.push_back(const_cast<char*>(s.c_str()));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
    pid_t pid = 0;
    const long long t0 = MonotonicNs();
    const int err = posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    if (err != 0) {
        close(fds[0]);
        return false;
    }
    std::string text;
    char buf[256];
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < until) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        text.append(buf, static_cast<size_t>(n));
        if (text.find('\n') != std::string::npos) break;
    }
    close(fds[0]);
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == 0) {
        // Give it time to wind down, then end it.
        for (int i = 0; i < 50 && waitpid(pid, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (kill(pid, 0) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }
    long long frame = 0, us = 0;
    long kbFrame = 0, kbIdle = 0;
    if (std::sscanf(text.c_str(), "FRAME %lld CPU %lld RSS %ld IDLE %ld", &frame, &us, &kbFrame, &kbIdle) != 4)
        return false;
    out.ms = (frame - t0) / 1e6;
    out.cpuMs = us / 1e3;
    out.mbFrame = kbFrame / 1024.0;
    out.mbIdle = kbIdle / 1024.0;
    return true;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A private HOME whose .asoundrc names the four outputs of the listening
// room's interface, as a lab's would, so that the program starts without its
// warning about missing outputs. They play into /dev/null.
std::string MakeHome() {
    char tmpl[] = "/tmp/sondarium-bench-startup-XXXXXX";
    if (!mkdtemp(tmpl)) return {};
    std::FILE* rc = std::fopen((std::string(tmpl) + "/.asoundrc").c_str(), "w");
    if (!rc) return {};
    for (int pair = 0; pair < 4; ++pair)
        std::fprintf(rc,
                     "pcm.ua101_%d { type file slave.pcm \"null\" file \"/dev/null\" format \"raw\""
                     " hint.description \"OUT %d-%d (1:UA-101)\" }\n",
                     pair, 2 * pair + 1, 2 * pair + 2);
    std::fclose(rc);
    return tmpl;
}

std::string g_home;

std::vector<std::string> Environment(const std::string& platform, const std::string& display) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) == 0 || std::strncmp(*e, "DISPLAY=", 8) == 0 ||
            std::strncmp(*e, "HOME=", 5) == 0)
            continue;
        env.emplace_back(*e);
    }
    env.push_back("HOME=" + g_home);
    env.push_back("QT_QPA_PLATFORM=" + platform);
    if (!display.empty()) env.push_back("DISPLAY=" + display);
    return env;
}

struct Figures {
    double ms, cpuMs, mbFrame, mbIdle;
};

bool Measure(const std::string& exe, const std::vector<std::string>& env, std::vector<Sample>& samples) {
    Sample s;
    if (!RunOnce(exe, env, s)) return false;
    samples.push_back(s);
    return true;
}

void Compare(const char* title, const std::string& dir, const std::vector<std::string>& env) {
    struct Subject {
        const char* exe;
        const char* name;
        const char* yardstick;  // its name in the ratios; null for the program itself
        std::vector<Sample> samples;
        Figures f{};
    };
    Subject subjects[] = {{"bench_startup_bare", "bare QMainWindow", "bare", {}},
                          {"bench_startup_floor", "Qt, same texts", "same texts", {}},
                          {"bench_startup_program", "Sondarium", nullptr, {}}};
    Subject& program = subjects[std::size(subjects) - 1];
    Sample warm;  // one run of each first, which fills the caches
    for (const Subject& s : subjects) {
        if (!RunOnce(dir + "/" + s.exe, env, warm)) {
            std::printf("%s: skipped, a subject did not show its window\n", title);
            return;
        }
    }
    for (int i = 0; i < RUNS; ++i) {
        for (Subject& s : subjects) {
            if (!Measure(dir + "/" + s.exe, env, s.samples)) {
                std::printf("%s: skipped, a run failed\n", title);
                return;
            }
        }
    }
    auto figures = [](const std::vector<Sample>& v) {
        std::vector<double> ms, cpu, f, i;
        for (const Sample& s : v) {
            ms.push_back(s.ms);
            cpu.push_back(s.cpuMs);
            f.push_back(s.mbFrame);
            i.push_back(s.mbIdle);
        }
        return Figures{Median(ms), Median(cpu), Median(f), Median(i)};
    };
    std::printf("%s, median of %d runs:\n", title, RUNS);
    for (Subject& s : subjects) {
        s.f = figures(s.samples);
        std::printf("  %-18s first frame %6.1f ms (GUI thread %5.1f ms)   RSS at frame %5.1f MB   at rest %5.1f MB\n",
                    s.name, s.f.ms, s.f.cpuMs, s.f.mbFrame, s.f.mbIdle);
    }
    const Figures& p = program.f;
    for (const Subject& s : subjects) {
        if (!s.yardstick) continue;
        std::printf("  program/%-10s %.2fx the time (%.2fx the GUI thread's), %+.1f MB at rest\n", s.yardstick,
                    p.ms / s.f.ms, p.cpuMs / s.f.cpuMs, p.mbIdle - s.f.mbIdle);
    }
}

// An X server of our own on a free display; its pid, or 0.
pid_t StartXvfb(std::string& display) {
    for (int n = 90; n < 120; ++n) {
        const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        const std::string sock = "/tmp/.X11-unix/X" + std::to_string(n);
        struct stat st;
        if (stat(lock.c_str(), &st) == 0 || stat(sock.c_str(), &st) == 0) continue;
        display = ":" + std::to_string(n);
        const char* argv[] = {"Xvfb", display.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp", nullptr};
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int err = posix_spawnp(&pid, "Xvfb", &fa, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&fa);
        if (err != 0) return 0;
        for (int i = 0; i < 100; ++i) {
            if (stat(sock.c_str(), &st) == 0) return pid;
            if (waitpid(pid, nullptr, WNOHANG) == pid) break;  // that display was taken after all
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return 0;
}

}  // namespace

int main() {
    const std::string dir = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/startup";
    g_home = MakeHome();
    if (g_home.empty()) {
        std::printf("start-up: skipped, no private HOME could be made\n");
        return 0;
    }
    std::string display;
    const pid_t xvfb = StartXvfb(display);
    if (xvfb) {
        Compare(("start-up under Xvfb " + display).c_str(), dir, Environment("xcb", display));
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
    } else if (const char* d = std::getenv("DISPLAY"); d && *d) {
        Compare((std::string("start-up on X display ") + d).c_str(), dir, Environment("xcb", d));
    } else {
        std::printf("start-up on X: skipped, no Xvfb installed and no DISPLAY\n");
    }
    Compare("start-up offscreen", dir, Environment("offscreen", ""));
    std::error_code ec;
    std::filesystem::remove_all(g_home, ec);
    return 0;
}
