#include "platform/audio/AudioBackend.h"

namespace audio {
namespace {
std::shared_ptr<IBackend>& Slot() {
    static std::shared_ptr<IBackend> backend;
    return backend;
}
}  // namespace
void SetBackend(std::shared_ptr<IBackend> backend) { Slot() = std::move(backend); }
std::shared_ptr<IBackend> GetBackend() { return Slot(); }
}  // namespace audio
