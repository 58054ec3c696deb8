#include "platform/audio/jack/DeviceNames.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace audio::jack {
namespace {

// The card an alias names: what follows "hw:" (and a "CARD="), up to ',' or ':'.
// "alsa_pcm:hw:UA101:out1" names "UA101", "alsa:pcm:1:hw:1,0:playback_AUX0" "1".
std::string CardInAlias(const std::string& alias) {
    const std::size_t at = alias.find("hw:");
    if (at == std::string::npos) return "";
    std::size_t from = at + 3;
    if (alias.compare(from, 5, "CARD=") == 0) from += 5;
    const std::size_t to = alias.find_first_of(",:", from);
    return alias.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// The nick of "NICK:port", PipeWire's alias from the node's nick; not the
// client's own name, which its other alias repeats.
std::string NickInAlias(const std::string& alias, const std::string& client) {
    const std::size_t colon = alias.find(':');
    if (colon == 0 || colon == std::string::npos || alias.find(':', colon + 1) != std::string::npos) return "";
    const std::string nick = alias.substr(0, colon);
    return nick == client ? "" : nick;
}

bool WordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'; }

// Whether `text` holds `word` with no letter, digit, '-' or '_' on either side.
bool HoldsWord(const std::string& text, const std::string& word) {
    if (word.empty()) return false;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || !WordChar(text[at - 1])) && (end == text.size() || !WordChar(text[end]))) return true;
    }
    return false;
}

class Namer {
public:
    explicit Namer(const std::vector<AlsaCard>& cards) : cards_(cards) {}

    void Name(JackDevice& d) {
        const AlsaCard* card = nullptr;
        std::string nick;
        for (const std::string& alias : d.aliases) {
            const std::string ref = CardInAlias(alias);
            if (!card && !ref.empty()) card = ById(ref);
            if (nick.empty()) nick = NickInAlias(alias, d.client);
        }
        const bool named = card != nullptr;  // by an alias
        if (!card) card = Holding(nick.empty() ? d.client : nick);
        if (card) claimed_.insert(card);
        d.card = card ? card->id : "";
        d.cardIndex = card ? card->index : -1;
        if (!d.pretty.empty()) d.name = d.pretty;
        else if (named) d.name = card->shortName;
        else if (!nick.empty()) d.name = nick;
        else if (card) d.name = card->shortName;
        else d.name = d.client;
    }

private:
    const AlsaCard* ById(const std::string& ref) const {
        for (const AlsaCard& c : cards_)
            if (c.id == ref || std::to_string(c.index) == ref) return &c;
        return nullptr;
    }
    // The unclaimed card whose short name `text` holds as a word; the longest
    // such name, the first card among equals.
    const AlsaCard* Holding(const std::string& text) const {
        const AlsaCard* best = nullptr;
        for (const AlsaCard& c : cards_) {
            if (claimed_.count(&c) || !HoldsWord(text, c.shortName)) continue;
            if (!best || c.shortName.size() > best->shortName.size()) best = &c;
        }
        return best;
    }

    const std::vector<AlsaCard>& cards_;
    std::set<const AlsaCard*> claimed_;
};

}  // namespace

void NameDevices(std::vector<JackDevice>& devices, const std::vector<AlsaCard>& cards) {
    Namer namer(cards);
    for (JackDevice& d : devices) namer.Name(d);
}

}  // namespace audio::jack
