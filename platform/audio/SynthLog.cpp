#include "platform/audio/SynthLog.h"

#include <fluidsynth.h>
#include <glib.h>

#include <atomic>
#include <mutex>

namespace tonalbox::audio {

namespace {

std::atomic<bool> g_shown{false};

void FluidLine(int level, const char* message, void* data) {
    if (g_shown.load()) fluid_default_log_function(level, message, data);
}

void GLibLine(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer data) {
    if (g_shown.load()) g_log_default_handler(domain, level, message, data);
}

}  // namespace

void SynthLog::Install() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, &FluidLine, nullptr);
        // Those libraries log without a domain; the window's own GLib
        // messages (with theirs) stay as they were.
        g_log_set_handler(nullptr, static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL),
                          &GLibLine, nullptr);
    });
}

void SynthLog::Show(bool show) {
    Install();
    g_shown.store(show);
}

}  // namespace tonalbox::audio
