#include "tests/support/EngineRender.h"

#include "platform/wavecapture/IWaveCaptureFx.h"

namespace tonalbox::testsupport {

using wavecapture::CLSID_WaveCaptureFx;
using wavecapture::IID_IWaveCaptureFx;
using wavecapture::IWaveCaptureFx;

EngineRenderResult EngineRender::Render(const std::string& midiPath, const std::string& wavPath, int pathType,
                                        int sampleRate, IMessageSink* messages, int maxPolls,
                                        const LoudnessOptions* loudness) {
    CMidiMusic engine(messages);
    EngineRenderResult r;
    r.initialize = engine.Initialize(EngineMode::Render, pathType, sampleRate);
    if (r.initialize != 0) {
        engine.Shutdown();
        return r;
    }
    r = RenderWith(engine, midiPath, wavPath, maxPolls, loudness);
    engine.Shutdown();
    return r;
}

EngineRenderResult EngineRender::RenderWith(CMidiMusic& engine, const std::string& midiPath,
                                            const std::string& wavPath, int maxPolls,
                                            const LoudnessOptions* loudness) {
    EngineRenderResult r;
    engine.ClearAudioFX();
    void* object = nullptr;
    r.setAudioFx = engine.SetAudioFX(CLSID_WaveCaptureFx, IID_IWaveCaptureFx, &object);
    if (r.setAudioFx != 0 || object == nullptr) return r;
    auto* capture = static_cast<IWaveCaptureFx*>(object);
    if (loudness != nullptr) capture->SetLoudness(loudness->normalize, loudness->targetLufs);

    r.load = engine.LoadMidiFile(midiPath, true);
    if (r.load != 0) return r;
    engine.GetBufferFormat(&r.format);
    r.startCapture = capture->StartCapture(wavPath.c_str(), &r.format);
    r.play = engine.Play();
    engine.GetLength(&r.length);
    int64_t position = 0;
    for (r.polls = 0; r.polls < maxPolls;) {
        engine.WaitRenderClock(100);
        ++r.polls;
        int64_t now = position;
        if (engine.GetSeek(&now) < 0) break;
        if (now < position) r.positionWentBack = true;
        if (now > r.length) r.positionPassedLength = true;
        position = now;
        if (position >= r.length) break;
    }
    r.lastPosition = position;
    engine.Stop();
    engine.WaitRenderClock(1000);
    r.stopCapture = capture->StopCapture();
    return r;
}

}  // namespace tonalbox::testsupport
