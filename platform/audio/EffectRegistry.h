#pragma once
// The effect classes known to the audio layer, by class identifier: the
// stand-in for effects registered on the system. The built-in effects (the
// wave capture effect) are registered on first use.

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Result.h"
#include "platform/audio/AudioTypes.h"
#include "platform/audio/IAudioEffect.h"

namespace tonalbox::audio {

class EffectRegistry {
public:
    using Factory = std::function<std::unique_ptr<IAudioEffect>()>;

    static EffectRegistry& Instance();

    // Registers (or replaces) the class `clsid`.
    void Register(const Guid& clsid, Factory factory);
    void Unregister(const Guid& clsid);
    // A new instance of `clsid`; kNoClass when it is not registered,
    // kOutOfMemory when the factory gives nothing.
    platform::Result Create(const Guid& clsid, std::unique_ptr<IAudioEffect>& out) const;

private:
    EffectRegistry();
    struct Entry {
        Guid clsid;
        Factory factory;
    };
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

}  // namespace tonalbox::audio
