#include "platform/audio/alsa/AlsaBackend.h"

#include <algorithm>
#include <map>

#include "platform/audio/DSound.h"
#include "platform/audio/alsa/AlsaLog.h"
#include "platform/audio/alsa/AlsaOutputs.h"
#include "platform/audio/alsa/AlsaStream.h"

namespace audio {
namespace {

using alsa::AlsaStream;
using alsa::OutputEntry;
using alsa::PcmRequest;

// One output: a slot of an ALSA stream, which it may share with the other
// channel pairs of its card.
class AlsaOutput : public IOutputStream {
public:
    AlsaOutput(std::shared_ptr<AlsaStream> stream, unsigned slot, unsigned offset, bool wholeDevice)
        : stream_(std::move(stream)), slot_(slot), offset_(offset), whole_(wholeDevice) {}
    ~AlsaOutput() override { stream_->ReleaseSlot(slot_); }

    HRESULT Attach(IMixSource* source) override {
        if (!source) return DSERR_INVALIDPARAM;
        Detach();
        const unsigned channels = source->PrimaryChannels();
        if (channels < 1 || channels > AlsaStream::kMaxSourceChannels) return DSERR_BADFORMAT;
        const HRESULT hr = Follow(*source);
        source_ = source;
        stream_->Attach(slot_, source, offset_, Width());
        return hr;
    }

    void Detach() override {
        stream_->Detach(slot_);
        source_ = nullptr;
    }

    HRESULT FormatChanged() override {
        if (!source_) return DS_OK;
        const HRESULT hr = Follow(*source_);
        stream_->Attach(slot_, source_, offset_, Width());
        return hr;
    }

    HRESULT Status() const noexcept override { return stream_->Status(); }
    std::uint32_t LatencyFrames() const noexcept override { return stream_->LatencyFrames(); }
    std::uint32_t FixedRate() const noexcept override { return stream_->Shape().rate; }
    std::string SampleFormatName() const override { return snd_pcm_format_name(stream_->Shape().format); }

    // Between tests nothing sounds: the device (every pair of a card) moves
    // to the excerpts' rate where it has it.
    void OfferRate(std::uint32_t rate) override {
        if (rate == stream_->Request().rate || !stream_->Silent()) return;
        PcmRequest want = stream_->Request();
        want.rate = rate;
        Reshape(want);
    }

private:
    unsigned Width() const { return whole_ ? stream_->Shape().channels : 2; }

    // A device used whole takes the primary's channel count; a card keeps its
    // channels: the pairs share them. The rate is the buffers' (OfferRate).
    HRESULT Follow(const IMixSource& source) {
        PcmRequest want = stream_->Request();
        if (whole_) want.channels = source.PrimaryChannels();
        if (want.channels == stream_->Request().channels) return DS_OK;
        return Reshape(want);
    }

    HRESULT Reshape(const PcmRequest& want) {
        std::string why;
        const int err = stream_->Reshape(want, why);
        if (err < 0) {
            alsa::Log("%s", why.c_str());
            return alsa::CodeForError(err);
        }
        return DS_OK;
    }

    std::shared_ptr<AlsaStream> stream_;
    const unsigned slot_;
    const unsigned offset_;
    const bool whole_;
    IMixSource* source_ = nullptr;
};

class AlsaBackend : public IBackend {
public:
    AlsaBackend(AlsaCardLister cards, AlsaHeldCards held) : cards_(std::move(cards)), held_(std::move(held)) {
        alsa::InstallLogHandler();
    }

    std::vector<OutputInfo> Enumerate() override {
        listed_ = Entries();
        std::vector<OutputInfo> infos;
        for (const OutputEntry& e : listed_) infos.push_back(e.info);
        return infos;
    }

    // An id is looked up in the list the last enumeration gave, where the
    // caller found it: listing the outputs again scans every card, and the
    // tracks open four outputs in a row. Only an id missing from that list
    // makes a new one (an output plugged in since). An output that went away
    // since then fails in ALSA's open, with ALSA's reason.
    HRESULT Open(const GUID* id, std::unique_ptr<IOutputStream>& stream, std::string& reason) override {
        stream.reset();
        auto find = [this, id] {
            return std::find_if(listed_.begin(), listed_.end(), [id](const OutputEntry& e) {
                return id ? e.info.hasId && e.info.id == *id : e.kind == OutputEntry::Kind::Default;
            });
        };
        auto it = find();
        if (it == listed_.end()) {
            listed_ = Entries();
            it = find();
        }
        if (it == listed_.end()) {
            reason = "no audio output has this id (the device is gone or the list changed)";
            return DSERR_NODRIVER;
        }
        return it->kind == OutputEntry::Kind::CardPair ? OpenPair(*it, stream, reason) : OpenWhole(*it, stream, reason);
    }

private:
    // The cards as listed now, plus those whose stream this back end holds
    // open: their device is busy with us and cannot be asked again.
    std::vector<OutputEntry> Entries() {
        std::vector<AlsaCard> cards = cards_ ? cards_() : std::vector<AlsaCard>{};
        for (const auto& [pcm, held] : heldCards_) {
            const bool listed = std::any_of(cards.begin(), cards.end(), [&](const AlsaCard& c) { return c.pcm == pcm; });
            if (!listed && !shared_[pcm].expired()) cards.push_back(held);
        }
        std::stable_sort(cards.begin(), cards.end(), [](const AlsaCard& a, const AlsaCard& b) { return a.index < b.index; });
        for (const AlsaCard& c : cards) heldCards_[c.pcm] = c;
        std::vector<OutputEntry> entries = alsa::BuildOutputs(cards, alsa::ListHintedPcms());
        if (held_) {
            const std::vector<std::string> server = held_();
            std::erase_if(entries, [&](const OutputEntry& e) {
                return e.kind != OutputEntry::Kind::Default &&
                       std::any_of(server.begin(), server.end(), [&](const std::string& card) { return alsa::NamesCard(e.pcm, card); });
            });
        }
        return entries;
    }

    HRESULT OpenPair(const OutputEntry& e, std::unique_ptr<IOutputStream>& stream, std::string& reason) {
        std::shared_ptr<AlsaStream> shared = shared_[e.pcm].lock();
        if (!shared) {
            shared = std::make_shared<AlsaStream>(e.pcm);
            PcmRequest want;
            want.channels = e.cardChannels;
            const int err = shared->Start(want, reason);
            if (err < 0) return alsa::CodeForError(err);
            shared_[e.pcm] = shared;
        }
        if (shared->ClaimSlot(e.pair) < 0) {
            reason = "\"" + e.info.description + "\" is already open in this program";
            return DSERR_ALLOCATED;
        }
        stream = std::make_unique<AlsaOutput>(shared, e.pair, 2 * e.pair, false);
        return DS_OK;
    }

    HRESULT OpenWhole(const OutputEntry& e, std::unique_ptr<IOutputStream>& stream, std::string& reason) {
        auto own = std::make_shared<AlsaStream>(e.pcm);
        const int err = own->Start(PcmRequest{}, reason);
        if (err < 0) return alsa::CodeForError(err);
        own->ClaimSlot(0);
        stream = std::make_unique<AlsaOutput>(own, 0, 0, true);
        return DS_OK;
    }

    AlsaCardLister cards_;
    AlsaHeldCards held_;
    std::map<std::string, std::weak_ptr<AlsaStream>> shared_;  // card streams by ALSA name
    std::map<std::string, AlsaCard> heldCards_;
    std::vector<OutputEntry> listed_;  // the outputs as last listed
};

}  // namespace

std::shared_ptr<IBackend> MakeAlsaBackend(AlsaCardLister cards, AlsaHeldCards held) {
    return std::make_shared<AlsaBackend>(std::move(cards), std::move(held));
}

}  // namespace audio
