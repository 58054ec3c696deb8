#include "platform/audio/jack/JackBackend.h"

#include <algorithm>
#include <map>

#include "platform/audio/DSound.h"
#include "platform/audio/alsa/AlsaBackend.h"
#include "platform/audio/alsa/AlsaOutputs.h"

namespace audio::jack {
namespace {

// One JACK output, open: a slot of the client.
class JackOutput : public IOutputStream {
public:
    JackOutput(std::shared_ptr<JackClient> client, unsigned slot) : client_(std::move(client)), slot_(slot) {}
    ~JackOutput() override { client_->Close(slot_); }

    HRESULT Attach(IMixSource* source) override {
        if (!source) return DSERR_INVALIDPARAM;
        const unsigned channels = source->PrimaryChannels();
        if (channels < 1 || channels > JackClient::kMaxSourceChannels) return DSERR_BADFORMAT;
        client_->Attach(slot_, source);
        return DS_OK;
    }
    void Detach() override { client_->Detach(slot_); }
    // The server's rate and the pair's two channels stay what they are.
    HRESULT FormatChanged() override { return DS_OK; }
    HRESULT Status() const noexcept override { return client_->Status(slot_); }
    std::uint32_t LatencyFrames() const noexcept override { return client_->LatencyFrames(slot_); }
    std::uint32_t FixedRate() const noexcept override { return client_->Rate(); }

private:
    std::shared_ptr<JackClient> client_;
    const unsigned slot_;
};

class ServerBackend : public IBackend {
public:
    ServerBackend(std::shared_ptr<JackClient> client, std::shared_ptr<IBackend> alsa)
        : client_(std::move(client)), alsa_(std::move(alsa)) {}

    std::vector<OutputInfo> Enumerate() override {
        std::vector<OutputInfo> alsa = alsa_->Enumerate();
        std::vector<OutputInfo> list;
        auto rest = alsa.begin();
        if (rest != alsa.end() && !rest->hasId) list.push_back(*rest++);
        for (const JackEntry& e : Entries()) list.push_back(e.info);
        list.insert(list.end(), rest, alsa.end());
        return list;
    }

    HRESULT Open(const GUID* id, std::unique_ptr<IOutputStream>& stream, std::string& reason) override {
        if (id) {
            for (const JackEntry& e : Entries()) {
                if (e.info.id != *id) continue;
                stream.reset();
                const int slot = client_->Open(e.label, e.left, e.right, reason);
                if (slot < 0) return DSERR_NODRIVER;
                stream = std::make_unique<JackOutput>(client_, static_cast<unsigned>(slot));
                return DS_OK;
            }
        }
        return alsa_->Open(id, stream, reason);
    }

    std::string Server() const override { return client_ ? client_->Server() : ""; }

private:
    std::vector<JackEntry> Entries() { return client_ ? BuildEntries(client_->Devices()) : std::vector<JackEntry>{}; }

    std::shared_ptr<JackClient> client_;
    std::shared_ptr<IBackend> alsa_;
};

}  // namespace

std::vector<JackEntry> BuildEntries(const std::vector<JackDevice>& devices) {
    std::vector<JackEntry> list;
    std::map<std::string, unsigned> seen;  // devices of one name, counted from 1
    for (const JackDevice& d : devices) {
        const std::string u = std::to_string(++seen[d.name]);
        for (std::size_t pair = 0; 2 * pair + 1 < d.ports.size(); ++pair) {
            const std::string first = std::to_string(2 * pair + 1), second = std::to_string(2 * pair + 2);
            JackEntry e;
            e.info.description = "OUT " + first + "-" + second + " (" + u + ":" + d.name + ")";
            e.info.hasId = true;
            e.info.id = alsa::StableId("jack\x1f" + d.client + "\x1f" + std::to_string(pair));
            e.left = d.ports[2 * pair];
            e.right = d.ports[2 * pair + 1];
            // Port names cannot hold ':', which the description has.
            e.label = "OUT " + first + "-" + second + " (" + u + " " + d.name + ")";
            std::replace(e.label.begin(), e.label.end(), ':', ' ');
            list.push_back(std::move(e));
        }
    }
    return list;
}

std::vector<std::string> HeldCards(const std::vector<JackDevice>& devices) {
    std::vector<std::string> cards;
    for (const JackDevice& d : devices) {
        if (d.card.empty()) continue;
        cards.push_back(d.card);
        cards.push_back(std::to_string(d.cardIndex));
    }
    return cards;
}

std::shared_ptr<IBackend> MakeServerBackend(std::shared_ptr<JackClient> client, std::shared_ptr<IBackend> alsa) {
    return std::make_shared<ServerBackend>(std::move(client), std::move(alsa));
}

}  // namespace audio::jack

namespace audio {

std::shared_ptr<IBackend> MakeAlsaBackend() {
    std::shared_ptr<jack::JackClient> client = jack::JackClient::Connect();
    std::weak_ptr<jack::JackClient> weak = client;
    AlsaHeldCards held = [weak] {
        auto c = weak.lock();
        return c ? jack::HeldCards(c->Devices()) : std::vector<std::string>{};
    };
    // The first output opened asks for ALSA's hinted PCMs; reading them here
    // (the list is kept) lets a caller make the back end while it does other work.
    alsa::ListHintedPcms();
    return jack::MakeServerBackend(client, MakeAlsaBackend(&ListAlsaCards, std::move(held)));
}

}  // namespace audio
