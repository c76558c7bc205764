#include "cli/Console.h"

#include <cctype>
#include <cerrno>

#include "engine/Utf8Text.h"

namespace tonalbox::cli {

namespace {

constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);
constexpr int kBarCells = 24;

std::string Bar(int percent) {
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    const int filled = percent * kBarCells / 100;
    std::string bar = "[";
    bar.append(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kBarCells - filled), '-');
    bar += "]";
    return bar;
}

std::string PercentText(int percent) {
    std::string text = std::to_string(percent) + "%";
    while (text.size() < 4) text.insert(text.begin(), ' ');
    return text;
}

}  // namespace

std::string EscapeControls(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    auto escape = [&](unsigned char c) {
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 15];
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t sequence = c >= 0x80 ? Utf8SequenceLength(text, i) : 0;
        if (c < 0x20 || c == 0x7f) {
            escape(c);
        } else if (sequence == 2 && c == 0xc2 && static_cast<unsigned char>(text[i + 1]) <= 0x9f) {
            escape(c);  // a C1 control in its UTF-8 form
            escape(static_cast<unsigned char>(text[i + 1]));
            ++i;
        } else if (sequence > 0) {
            out.append(text, i, sequence);
            i += sequence - 1;
        } else if (c >= 0x80 && c <= 0x9f) {
            escape(c);  // a raw C1 control: a terminal takes it as one
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

Console::Console(std::FILE* out, std::FILE* input, const Options& options, int slots)
    : m_out(out), m_input(input), m_options(options),
      m_slots(static_cast<size_t>(slots > 0 ? slots : 1)) {
    if (m_options.width < 20) m_options.width = 20;
}

void Console::Message(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ClearBarLocked();
    std::fprintf(m_out, "%s\n", EscapeControls(text).c_str());
    std::fflush(m_out);
    DrawBarLocked(true);
}

bool Console::Ask(const std::string& text) {
    const std::string question = EscapeControls(text);
    std::lock_guard<std::mutex> askLock(m_askMutex);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ClearBarLocked();
        if (!m_options.canAsk || m_input == nullptr) {
            std::fprintf(m_out, "%s[y/N] n\n", question.c_str());
            std::fflush(m_out);
            DrawBarLocked(true);
            return false;
        }
        std::fprintf(m_out, "%s[y/N] ", question.c_str());
        std::fflush(m_out);
        m_asking = true;
    }
    // Read the answer without holding the output lock, so that the other
    // jobs' messages are not held up; their bar updates wait for it (a bar
    // drawn now would wipe out the question).
    std::string answer;
    for (;;) {
        const int c = std::fgetc(m_input);
        if (c == EOF) {
            if (std::ferror(m_input) && errno == EINTR) std::clearerr(m_input);
            break;  // end of input or Ctrl-C: No
        }
        if (c == '\n') break;
        answer.push_back(static_cast<char>(c));
    }
    size_t first = 0;
    while (first < answer.size() && std::isspace(static_cast<unsigned char>(answer[first])))
        ++first;
    const bool yes = first < answer.size() && (answer[first] == 'y' || answer[first] == 'Y');
    std::lock_guard<std::mutex> lock(m_mutex);
    m_asking = false;
    if (m_barShown) m_barShown = false;  // the answer's newline moved us on
    DrawBarLocked(true);
    return yes;
}

void Console::FileStarted(int slot, const std::string& counter, const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (slot < 0 || slot >= static_cast<int>(m_slots.size())) return;
    Slot& s = m_slots[static_cast<size_t>(slot)];
    s.active = true;
    s.counter = counter;
    s.name = EscapeControls(name);
    s.percent = 0;
    if (m_options.quiet) return;
    if (m_options.progressBar) {
        DrawBarLocked(true);
    } else {
        std::fprintf(m_out, "%s %s\n", counter.c_str(), s.name.c_str());
        std::fflush(m_out);
    }
}

void Console::Progress(int slot, int percent) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (slot < 0 || slot >= static_cast<int>(m_slots.size())) return;
    Slot& s = m_slots[static_cast<size_t>(slot)];
    if (s.percent == percent) return;
    s.percent = percent;
    if (m_options.progressBar) DrawBarLocked(percent >= 100);
}

void Console::JobDone(int slot) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (slot < 0 || slot >= static_cast<int>(m_slots.size())) return;
    m_slots[static_cast<size_t>(slot)].active = false;
    if (m_options.quiet || !m_options.progressBar) return;
    ClearBarLocked();
    DrawBarLocked(true);
}

void Console::Finish() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ClearBarLocked();
    for (auto& s : m_slots) s.active = false;
}

std::string Console::BarLine() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return BarLineLocked();
}

std::string Console::BarLineLocked() const {
    std::vector<const Slot*> active;
    for (const auto& s : m_slots) {
        if (s.active) active.push_back(&s);
    }
    std::string line;
    if (active.size() == 1) {
        const Slot& s = *active.front();
        line = Bar(s.percent) + " " + PercentText(s.percent) + "  " + s.counter + "  " + s.name;
    } else {
        for (const Slot* s : active) {
            if (!line.empty()) line += " | ";
            line += s->counter + " " + s->name + " " + PercentText(s->percent);
        }
    }
    const size_t width = static_cast<size_t>(m_options.width - 1);
    if (line.size() > width) line.resize(width);
    return line;
}

void Console::ClearBarLocked() {
    if (!m_barShown) return;
    std::fprintf(m_out, "\r\033[K");
    m_barShown = false;
}

void Console::DrawBarLocked(bool force) {
    if (m_options.quiet || !m_options.progressBar || m_asking) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && m_barShown && now - m_lastDraw < kRedrawPeriod) return;
    m_lastDraw = now;
    bool any = false;
    for (const auto& s : m_slots) any = any || s.active;
    if (!any) return;
    const std::string line = BarLineLocked();
    std::fprintf(m_out, "\r\033[K%s", line.c_str());
    std::fflush(m_out);
    m_barShown = true;
}

}  // namespace tonalbox::cli
