// Regenerate: build/tools/make_demo/make_demo examples/demo
//
// Writes the demo session into FOLDER: a four-channel playlist of three
// excerpts (demo.lst), three tests comparing them (demo.cmb), and the twelve
// WAV files the playlist names, as paths relative to FOLDER. Running it again
// writes the same bytes.
#include "Excerpts.h"
#include "Wav.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const kPositions[excerpts::kChannels] = {"top_left", "top_right", "bottom_right", "bottom_left"};

// The session files use CR LF, one break after every line (a second break at
// the end would count as one more combination line).
bool writeLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return wav::writeFile(path.string(), wav::Bytes(text.begin(), text.end()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);

    bool ok = true;
    std::vector<std::string> playlist = {"SONDARIUM PLAYLIST", "CHANNELS=4"};
    for (int e = 0; e < excerpts::kCount; ++e) {
        for (int c = 0; c < excerpts::kChannels; ++c) {
            const std::string name = "excerpt" + std::to_string(e + 1) + "_" + kPositions[c] + ".wav";
            playlist.push_back(name);
            ok = wav::writeFile((folder / name).string(),
                                wav::riffMono16(wav::toPcm16(excerpts::render(e, c)))) && ok;
        }
    }
    ok = writeLines(folder / "demo.lst", playlist) && ok;
    ok = writeLines(folder / "demo.cmb", {"SONDARIUM COMBINATIONS", "NBCOMBINATIONS:3", "COMBINATIONS",
                                          "1\t2", "2\t3", "3\t1"}) && ok;
    if (!ok) std::fprintf(stderr, "make_demo: some files were not written\n");
    return ok ? 0 : 1;
}
