#include "common/AlsaTestHome.h"

#include <alsa/asoundlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace alsatest {

Home::Home(const std::vector<FilePcm>& pcms, const std::string& extra) {
    char tmpl[] = "/tmp/sondarium-alsa-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    dir_ = tmpl;
    std::ofstream rc(dir_ + "/.asoundrc");
    for (const FilePcm& p : pcms) {
        rc << "pcm." << p.name << " {\n  type file\n  slave.pcm \"null\"\n  file \""
           << (p.file.empty() ? RawPath(p.name) : p.file[0] == '/' || p.file[0] == '|' ? p.file : dir_ + "/" + p.file) << "\"\n  format \"raw\"\n";
        if (!p.description.empty()) rc << "  hint.description \"" << p.description << "\"\n";
        rc << "}\n";
    }
    rc << extra << "\n";
    rc.close();
    setenv("HOME", dir_.c_str(), 1);
    // ALSA keeps its configuration once read; make it read this one.
    snd_config_update_free_global();
}

Home::~Home() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::int16_t> ReadSamples16(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadAll(path);
    std::vector<std::int16_t> out(bytes.size() / 4);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<std::int16_t>(bytes[4 * i + 2] | bytes[4 * i + 3] << 8);
    return out;
}

}  // namespace alsatest
