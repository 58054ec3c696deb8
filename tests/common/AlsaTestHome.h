// A private HOME for tests that go through the real ALSA library: a fresh
// temporary folder whose .asoundrc defines file PCMs (null slave, raw file in
// the same folder). Make it before the first ALSA call of the process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace alsatest {

struct FilePcm {
    std::string name;         // ALSA name, also the file's base name (NAME.raw)
    std::string description;  // hint description; empty: no hint
    std::string file;         // path written to, relative to the folder unless absolute or a "|command"; empty: NAME.raw
};

class Home {
public:
    // Writes the .asoundrc (with `extra` appended verbatim) and points HOME at it.
    Home(const std::vector<FilePcm>& pcms, const std::string& extra = "");
    ~Home();
    const std::string& Dir() const { return dir_; }
    std::string RawPath(const std::string& name) const { return dir_ + "/" + name + ".raw"; }

private:
    std::string dir_;
};

std::vector<std::uint8_t> ReadAll(const std::string& path);

// A file PCM's 32-bit samples (the outputs take a device's widest) as their
// top halves, in which a 16-bit sound comes back whole.
std::vector<std::int16_t> ReadSamples16(const std::string& path);

}  // namespace alsatest
