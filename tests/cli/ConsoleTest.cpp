#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <utility>
#include <vector>
#include <string>

#include "cli/Console.h"
#include "cli/ConsoleFrontEnd.h"

namespace tonalbox::cli {
namespace {

// A FILE* whose contents the test can read back.
class CapturedFile {
public:
    CapturedFile() : m_file(std::tmpfile()) {}
    ~CapturedFile() { std::fclose(m_file); }
    std::FILE* get() const { return m_file; }
    std::string Text() const {
        std::fflush(m_file);
        std::string text;
        std::rewind(m_file);
        for (int c; (c = std::fgetc(m_file)) != EOF;) text.push_back(static_cast<char>(c));
        return text;
    }

private:
    std::FILE* m_file;
};

class InputText {
public:
    explicit InputText(const std::string& text) : m_file(std::tmpfile()) {
        std::fputs(text.c_str(), m_file);
        std::rewind(m_file);
    }
    ~InputText() { std::fclose(m_file); }
    std::FILE* get() const { return m_file; }

private:
    std::FILE* m_file;
};

TEST(Console, PlainLinesWithoutATerminal) {
    CapturedFile out;
    std::atomic<int> cancel{0};
    Console console(out.get(), nullptr, Console::Options{}, 1);
    ConsoleFrontEnd frontEnd(console, 0, cancel);
    frontEnd.EntryStarted(0, 2, "a.mid");
    frontEnd.Progress(50);
    frontEnd.ShowMessage("Error loading file");
    EXPECT_FALSE(frontEnd.AskOverwrite("/o/a.mp3"));
    EXPECT_EQ(out.Text(),
              "1/2 a.mid...\n"
              "Error loading file\n"
              "the file: /o/a.mp3 have exist. writeover it? [y/N] n\n");
}

TEST(Console, QuietKeepsMessagesAndDropsProgress) {
    CapturedFile out;
    Console::Options options;
    options.quiet = true;
    options.progressBar = true;
    Console console(out.get(), nullptr, options, 1);
    console.FileStarted(0, "1/1", "a.mid...");
    console.Progress(0, 40);
    console.Message("Can not find file: a.mid.");
    EXPECT_EQ(out.Text(), "Can not find file: a.mid.\n");
}

TEST(Console, QuestionOnATerminalTakesTheAnswer) {
    CapturedFile out;
    Console::Options options;
    options.canAsk = true;
    InputText answers("y\n  no\n\nYes\n");
    Console console(out.get(), answers.get(), options, 1);
    EXPECT_TRUE(console.Ask("q1 "));
    EXPECT_FALSE(console.Ask("q2 "));
    EXPECT_FALSE(console.Ask("q3 ")) << "an empty answer is No";
    EXPECT_TRUE(console.Ask("q4 "));
    EXPECT_FALSE(console.Ask("q5 ")) << "end of input is No";
    EXPECT_EQ(out.Text(), "q1 [y/N] q2 [y/N] q3 [y/N] q4 [y/N] q5 [y/N] ");
}

TEST(Console, BarOfAnotherJobWaitsWhileAQuestionIsOpen) {
    int in[2], out[2];
    ASSERT_EQ(::pipe(in), 0);
    ASSERT_EQ(::pipe(out), 0);
    std::FILE* input = ::fdopen(in[0], "r");
    std::FILE* output = ::fdopen(out[1], "w");
    ASSERT_TRUE(input && output);
    Console::Options options;
    options.canAsk = true;
    options.progressBar = true;
    options.width = 80;
    Console console(output, input, options, 2);
    console.FileStarted(0, "1/2", "a.mid...");
    console.FileStarted(1, "2/2", "b.mid...");

    bool yes = false;
    std::thread asker([&] { yes = console.Ask("q "); });
    // Everything up to the open question.
    std::string shown;
    char c;
    while (shown.size() < 8 || shown.substr(shown.size() - 8) != "q [y/N] ") {
        ASSERT_EQ(::read(out[0], &c, 1), 1);
        shown.push_back(c);
    }
    console.Progress(1, 50);
    console.Progress(1, 100);
    ::fcntl(out[0], F_SETFL, O_NONBLOCK);
    char rest[256];
    const ssize_t drawn = ::read(out[0], rest, sizeof rest);
    EXPECT_LE(drawn, 0) << "the question was drawn over: "
                        << std::string(rest, static_cast<size_t>(std::max<ssize_t>(drawn, 0)));

    ASSERT_EQ(::write(in[1], "y\n", 2), 2);
    asker.join();
    EXPECT_TRUE(yes);
    console.Finish();
    std::fclose(output);
    std::fclose(input);
    ::close(in[1]);
    ::close(out[0]);
}

TEST(Console, BarLineShowsEveryRunningJob) {
    CapturedFile out;
    Console::Options options;
    options.progressBar = true;
    options.width = 200;
    Console console(out.get(), nullptr, options, 2);
    console.FileStarted(0, "1/3", "a.mid...");
    console.Progress(0, 50);
    EXPECT_EQ(console.BarLine(), "[############------------]  50%  1/3  a.mid...");
    console.FileStarted(1, "2/3", "b.mid...");
    console.Progress(1, 100);
    EXPECT_EQ(console.BarLine(), "1/3 a.mid...  50% | 2/3 b.mid... 100%");
    console.Message("hello");
    console.JobDone(0);
    EXPECT_EQ(console.BarLine(), "[########################] 100%  2/3  b.mid...")
        << "a finished job leaves the line";
    console.Finish();
    const std::string text = out.Text();
    EXPECT_NE(text.find("\r\033[Khello\n"), std::string::npos) << "a message clears the bar first";
    EXPECT_EQ(text.substr(text.size() - 4), "\r\033[K") << "the bar is gone at the end";
}

TEST(Console, CounterShowsThePositionInTheWholeList) {
    CapturedFile out;
    std::atomic<int> cancel{0};
    Console console(out.get(), nullptr, Console::Options{}, 2);
    JobQueue queue({{"/m/a.mid"}, {"/m/b.mid"}, {"/m/c.mid"}}, ConversionSettings::Defaults());
    JobPathList first(queue), second(queue);
    ConsoleFrontEnd frontEnd(console, 1, cancel, &second, queue.Total());
    first.ClaimNextEntries();
    first.GetPath(0);
    second.ClaimNextEntries();
    second.GetPath(0);  // the second file of the whole list
    frontEnd.EntryStarted(0, 1, "b.mid");
    EXPECT_EQ(out.Text(), "2/3 b.mid...\n");
}

TEST(Console, ControlCharactersInNamesAreShownEscaped) {
    const std::string name = "a\x1b[2Jb\r\xc2\x9b\x7f\xc3\xa9.mid";
    const std::string shown = "a\\x1b[2Jb\\x0d\\xc2\\x9b\\x7f\xc3\xa9.mid";
    for (const bool bar : {false, true}) {
        CapturedFile out;
        Console::Options options;
        options.progressBar = bar;
        options.width = 200;
        Console console(out.get(), nullptr, options, 1);
        console.FileStarted(0, "1/1", name);
        console.Message("Can not find file: " + name + ".");
        console.Ask("the file: " + name + " have exist. writeover it? ");
        const std::string text = out.Text();
        EXPECT_EQ(text.find('\x1b' + std::string("[2J")), std::string::npos) << bar;
        EXPECT_EQ(text.find('\x7f'), std::string::npos) << bar;
        EXPECT_NE(text.find("Can not find file: " + shown + ".\n"), std::string::npos) << text;
        EXPECT_NE(text.find("the file: " + shown + " have"), std::string::npos) << text;
        EXPECT_NE((bar ? console.BarLine() : text).find(shown), std::string::npos) << bar;
    }
}

TEST(Console, RawC1BytesOutsideUtf8AreEscapedAndUtf8IsKept) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\x9b" "2Jb", "a\\x9b2Jb"},                     // raw CSI
        {"\x85\x80", "\\x85\\x80"},                     // stray continuation bytes
        {"\xc0\x80", "\xc0\\x80"},                       // overlong form
        {"\xe2\x82x", "\xe2\\x82x"},                     // sequence cut short
        {"\xe2\x82\xac \xf0\x9f\x8e\xb5 \xc3\xa9", "\xe2\x82\xac \xf0\x9f\x8e\xb5 \xc3\xa9"},
        {"\xa0\xff", "\xa0\xff"},                         // not controls
    };
    for (const auto& [name, shown] : cases) EXPECT_EQ(EscapeControls(name), shown) << shown;
}

}  // namespace
}  // namespace tonalbox::cli
