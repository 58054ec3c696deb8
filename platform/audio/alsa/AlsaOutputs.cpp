#include "platform/audio/alsa/AlsaOutputs.h"

#include <alsa/asoundlib.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/audio/alsa/AlsaLog.h"

namespace audio::alsa {
namespace {

std::string TakeHint(void* hint, const char* what) {
    char* s = snd_device_name_get_hint(hint, what);
    std::string r = s ? s : "";
    std::free(s);
    return r;
}

std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

}  // namespace

GUID StableId(const std::string& key) {
    using u128 = unsigned __int128;
    const u128 prime = (u128(1) << 88) | 0x13B;
    u128 h = (u128(0x6C62272E07BB0142ull) << 64) | 0x62B821756295C58Dull;
    for (unsigned char c : key) {
        h ^= c;
        h *= prime;
    }
    GUID g;
    unsigned char bytes[16];
    for (int i = 0; i < 16; ++i) bytes[i] = static_cast<unsigned char>(h >> (8 * (15 - i)));
    g.Data1 = (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) | bytes[3];
    g.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    g.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
    return g;
}

bool NamesCard(const std::string& pcm, const std::string& card) {
    if (card.empty()) return false;
    for (const std::string& lead : {"CARD=" + card, ":" + card}) {
        for (std::size_t at = pcm.find(lead); at != std::string::npos; at = pcm.find(lead, at + 1)) {
            const std::size_t end = at + lead.size();
            if (end == pcm.size() || pcm[end] == ',') return true;
        }
    }
    return false;
}

namespace {

// What the hints depend on beside the configuration tree: the cards present
// and the configuration files a user or a package may change while the
// program runs (ALSA reads them; a user's file changed since the tree was
// read does not always give a new tree, yet it changes the hints).
std::vector<std::string> HintSources() {
    std::vector<std::string> names;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : "";
    }
    const std::string h = home;
    for (const std::string& path : {h + "/.asoundrc", h + "/.config/alsa/asoundrc", std::string("/etc/asound.conf"),
                                    std::string("/etc/alsa/conf.d"), std::string("/usr/share/alsa/alsa.conf.d")}) {
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) continue;
        names.push_back(path + ":" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
                        std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
                        std::to_string(st.st_mtim.tv_nsec));
    }
    int index = -1;
    while (snd_card_next(&index) == 0 && index >= 0) {
        char* name = nullptr;
        snd_card_get_name(index, &name);
        names.push_back(std::to_string(index) + ":" + (name ? name : ""));
        std::free(name);
    }
    return names;
}

std::vector<HintedPcm> ReadHints() {
    std::vector<HintedPcm> list;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || !hints) return list;
    for (void** h = hints; *h; ++h) {
        const std::string name = TakeHint(*h, "NAME");
        const std::string desc = TakeHint(*h, "DESC");
        const std::string io = TakeHint(*h, "IOID");
        if (name.empty() || desc.empty() || (!io.empty() && io != "Output")) continue;
        if (name == "default" || name == "null") continue;
        list.push_back({name, OneLine(desc)});
    }
    snd_device_name_free_hint(hints);
    return list;
}

// Walking the configuration for its hints takes over a millisecond, and every
// output that opens asks for the list again; so the last list is kept with the
// configuration tree it came from (a reference holds that tree, so a new tree
// can never take its address) and the state of its other sources.
struct HintCache {
    std::mutex lock;
    snd_config_t* top = nullptr;
    std::vector<std::string> sources;
    std::vector<HintedPcm> list;
};

HintCache& Hints() {
    static HintCache cache;
    return cache;
}

}  // namespace

std::vector<HintedPcm> ListHintedPcms() {
    InstallLogHandler();
    HintCache& cache = Hints();
    std::lock_guard<std::mutex> guard(cache.lock);
    snd_config_t* top = nullptr;
    if (snd_config_update_ref(&top) < 0) top = nullptr;
    std::vector<std::string> sources = HintSources();
    if (top && top == cache.top && sources == cache.sources) {
        snd_config_unref(top);
        return cache.list;
    }
    if (cache.top) snd_config_unref(cache.top);
    cache.top = top;
    cache.sources = std::move(sources);
    cache.list = ReadHints();
    return cache.list;
}

std::vector<OutputEntry> BuildOutputs(const std::vector<AlsaCard>& cards, const std::vector<HintedPcm>& hints) {
    std::vector<OutputEntry> list;
    OutputEntry def;
    def.info.description = "Driver audio principale";
    def.kind = OutputEntry::Kind::Default;
    def.pcm = "default";
    list.push_back(def);

    std::map<std::string, unsigned> seen;  // cards of one short name, counted from 1
    for (const AlsaCard& card : cards) {
        if (card.channels <= 2) continue;
        const unsigned u = ++seen[card.shortName];
        for (unsigned pair = 0; pair < card.channels / 2; ++pair) {
            OutputEntry e;
            e.kind = OutputEntry::Kind::CardPair;
            e.pcm = card.pcm;
            e.pair = pair;
            e.cardChannels = card.channels;
            e.info.description = "OUT " + std::to_string(2 * pair + 1) + "-" + std::to_string(2 * pair + 2) + " (" +
                                 std::to_string(u) + ":" + card.shortName + ")";
            e.info.hasId = true;
            e.info.id = StableId("pair\x1f" + card.pcm + "\x1f" + std::to_string(pair));
            list.push_back(std::move(e));
        }
    }
    for (const HintedPcm& h : hints) {
        OutputEntry e;
        e.kind = OutputEntry::Kind::Device;
        e.pcm = h.name;
        e.info.description = h.description;
        e.info.hasId = true;
        e.info.id = StableId("pcm\x1f" + h.name);
        list.push_back(std::move(e));
    }
    return list;
}

}  // namespace audio::alsa

namespace audio {

using alsa::InstallLogHandler;
using alsa::Log;

std::vector<AlsaCard> ListCardNames() {
    InstallLogHandler();
    std::vector<AlsaCard> cards;
    int index = -1;
    while (snd_card_next(&index) == 0 && index >= 0) {
        snd_ctl_t* ctl = nullptr;
        if (snd_ctl_open(&ctl, ("hw:" + std::to_string(index)).c_str(), 0) < 0) continue;
        snd_ctl_card_info_t* info;
        snd_ctl_card_info_alloca(&info);
        if (snd_ctl_card_info(ctl, info) == 0) {
            AlsaCard card;
            card.index = index;
            card.id = snd_ctl_card_info_get_id(info);
            card.shortName = snd_ctl_card_info_get_name(info);
            if (!card.id.empty()) cards.push_back(std::move(card));
        }
        snd_ctl_close(ctl);
    }
    return cards;
}

std::vector<AlsaCard> ListAlsaCards() {
    std::vector<AlsaCard> cards;
    for (AlsaCard card : ListCardNames()) {
        snd_ctl_t* ctl = nullptr;
        if (snd_ctl_open(&ctl, ("hw:" + std::to_string(card.index)).c_str(), 0) < 0) continue;
        // The first device of the card that plays.
        int device = -1, playback = -1;
        while (playback < 0 && snd_ctl_pcm_next_device(ctl, &device) == 0 && device >= 0) {
            snd_pcm_info_t* pi;
            snd_pcm_info_alloca(&pi);
            snd_pcm_info_set_device(pi, static_cast<unsigned>(device));
            snd_pcm_info_set_subdevice(pi, 0);
            snd_pcm_info_set_stream(pi, SND_PCM_STREAM_PLAYBACK);
            if (snd_ctl_pcm_info(ctl, pi) == 0) playback = device;
        }
        snd_ctl_close(ctl);
        if (playback < 0) continue;

        const std::string dev = "CARD=" + card.id + ",DEV=" + std::to_string(playback);
        snd_pcm_t* pcm = nullptr;
        const int err = snd_pcm_open(&pcm, ("hw:" + dev).c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
        if (err < 0) {
            Log("card %d (%s) not listed: hw:%s: %s", card.index, card.shortName.c_str(), dev.c_str(), snd_strerror(err));
            continue;
        }
        snd_pcm_hw_params_t* hwp;
        snd_pcm_hw_params_alloca(&hwp);
        if (snd_pcm_hw_params_any(pcm, hwp) >= 0) snd_pcm_hw_params_get_channels_max(hwp, &card.channels);
        snd_pcm_close(pcm);
        card.pcm = "plughw:" + dev;
        cards.push_back(std::move(card));
    }
    return cards;
}

}  // namespace audio
