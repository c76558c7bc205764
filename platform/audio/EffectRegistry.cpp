#include "platform/audio/EffectRegistry.h"

#include <algorithm>

#include "platform/audio/AudioErrors.h"
#include "platform/wavecapture/WaveCaptureFx.h"

namespace tonalbox::audio {

EffectRegistry& EffectRegistry::Instance() {
    static EffectRegistry registry;
    return registry;
}

EffectRegistry::EffectRegistry() { wavecapture::RegisterWaveCaptureFx(*this); }

void EffectRegistry::Register(const Guid& clsid, Factory factory) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Entry& e : m_entries) {
        if (e.clsid == clsid) {
            e.factory = std::move(factory);
            return;
        }
    }
    m_entries.push_back(Entry{clsid, std::move(factory)});
}

void EffectRegistry::Unregister(const Guid& clsid) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [&](const Entry& e) { return e.clsid == clsid; }),
                    m_entries.end());
}

platform::Result EffectRegistry::Create(const Guid& clsid, std::unique_ptr<IAudioEffect>& out) const {
    out.reset();
    Factory factory;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const Entry& e : m_entries)
            if (e.clsid == clsid) factory = e.factory;
    }
    if (!factory) return platform::Result::Fail(kNoClass, "effect: no such class registered");
    out = factory();
    if (!out) return platform::Result::Fail(kOutOfMemory, "effect: the class made no instance");
    return platform::Result::Ok();
}

}  // namespace tonalbox::audio
