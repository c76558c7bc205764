// The bank select mode a file asks for by the reset it starts with.

#include "platform/audio/BankSelect.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "midigen/MidiFileWriter.h"
#include "platform/audio/MidiFileReader.h"

namespace tonalbox::audio {
namespace {

using midigen::MidiFileWriter;

TEST(BankSelect, FirstSysExOfTheFileChoosesXgOrGs) {
    const std::vector<uint8_t> kXgOn = {0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00};
    const std::vector<uint8_t> kGsReset = {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41};
    auto withDevice = [](std::vector<uint8_t> message, uint8_t device) {
        message[1] = device;
        return message;
    };
    struct Case {
        std::string name;
        std::function<void(MidiFileWriter&)> write;
        BankSelect expected;
    };
    const std::vector<Case> cases = {
        {"no SysEx", [](MidiFileWriter&) {}, BankSelect::Default},
        {"XG System On", [](MidiFileWriter& w) { w.XgReset(0, 0); }, BankSelect::Xg},
        {"GS Reset", [](MidiFileWriter& w) { w.GsReset(0, 0); }, BankSelect::Gs},
        {"XG System On to device 3", [&](MidiFileWriter& w) { w.SysEx(0, 0, withDevice(kXgOn, 0x13)); },
         BankSelect::Xg},
        {"GS Reset to device 17", [&](MidiFileWriter& w) { w.SysEx(0, 0, withDevice(kGsReset, 0x1F)); },
         BankSelect::Gs},
        {"GS Reset not for a synthesizer", [&](MidiFileWriter& w) { w.SysEx(0, 0, withDevice(kGsReset, 0x20)); },
         BankSelect::Default},
        {"XG other parameter", [&](MidiFileWriter& w) {
             std::vector<uint8_t> m = kXgOn;
             m[5] = 0x7F;
             w.SysEx(0, 0, m);
         }, BankSelect::Default},
        {"GM System On before XG", [](MidiFileWriter& w) {
             w.GmReset(0, 0);
             w.XgReset(0, 10);
         }, BankSelect::Default},
        {"first in time, not in track order", [](MidiFileWriter& w) {
             w.GsReset(0, 20);
             w.XgReset(1, 5);
         }, BankSelect::Xg},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MidiFileWriter writer(1, 480);
        c.write(writer);
        writer.Note(2, 40, 480, 0, 60);
        const std::vector<uint8_t> bytes = writer.Build();
        MidiSequence sequence;
        ASSERT_TRUE(MidiFileReader::Read(bytes.data(), bytes.size(), sequence).ok());
        EXPECT_EQ(BankSelectOfFirstSysEx(sequence), c.expected);
    }
}

}  // namespace
}  // namespace tonalbox::audio
