#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "cli/CommandLine.h"
#include "cli/CommandOptions.h"
#include "cli/OptionTables.h"
#include "engine/ConversionSettings.h"
#include "engine/OptionRegistry.h"

namespace tonalbox::cli {
namespace {

// Each field of "Option.dat" is a member of its own: a distinct value
// written through every field comes back from the same field only.
TEST(OptionRegistry, StoredFieldsAreThirtyDistinctMembers) {
    const auto fields = StoredFields();
    ASSERT_EQ(fields.size(), 30u);
    ConversionSettings s;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].text) {
            fields[i].text(s) = "field " + std::to_string(i);
        } else {
            fields[i].set(s, 1000 + static_cast<int>(i));
        }
    }
    std::set<std::string_view> names;
    for (size_t i = 0; i < fields.size(); ++i) {
        EXPECT_TRUE(names.insert(fields[i].name).second) << fields[i].name;
        if (fields[i].text) {
            EXPECT_EQ(fields[i].text(s), "field " + std::to_string(i)) << fields[i].name;
        } else {
            EXPECT_EQ(fields[i].get(s), 1000 + static_cast<int>(i)) << fields[i].name;
        }
        EXPECT_EQ(FindStoredField(fields[i].name), &fields[i]);
    }
}

// Every option names stored fields that exist, starts from its default,
// and its list reads back on the command line by label, alias and value.
TEST(OptionRegistry, EveryOptionMatchesItsFieldsDefaultAndCommandLineValues) {
    const ConversionSettings defaults;
    std::set<std::string_view> flags;
    std::set<char> shortFlags;
    for (const UserOption& o : UserOptions()) {
        SCOPED_TRACE(std::string(o.flag));
        EXPECT_TRUE(flags.insert(o.flag).second);
        EXPECT_TRUE(!o.shortFlag || shortFlags.insert(o.shortFlag).second);
        const StoredField* field = FindStoredField(o.field);
        const StoredField* position = FindStoredField(o.positionField);
        ASSERT_TRUE(field || position);
        EXPECT_EQ(o.positionField.empty(), position == nullptr);
        EXPECT_EQ(o.kind == OptionKind::Choice, o.choices != nullptr);
        EXPECT_EQ(o.kind == OptionKind::Number, o.range != nullptr);
        if (o.range) {
            EXPECT_EQ(field->get(defaults), o.range->defaultValue);
        }
        if (!o.choices) continue;
        EXPECT_TRUE(!field || field->get(defaults) == o.choices->DefaultValue());
        EXPECT_TRUE(!position || position->get(defaults) == o.choices->defaultPosition);
        for (int i = 0; i < o.choices->Count(); ++i) {
            const OptionChoice& c = o.choices->choices[static_cast<size_t>(i)];
            SCOPED_TRACE(std::string(c.label));
            EXPECT_EQ(FindChoice(*o.choices, o.numbersAllowed, std::string(c.label)), i);
            EXPECT_TRUE(c.alias.empty() ||
                        FindChoice(*o.choices, o.numbersAllowed, std::string(c.alias)) == i);
            if (!o.numbersAllowed) continue;
            EXPECT_EQ(FindChoice(*o.choices, true, std::to_string(c.value)), i);
            // A label that is a number shows the value ("22050 Hz", "128k").
            EXPECT_TRUE(!std::isdigit(static_cast<unsigned char>(c.label.front())) ||
                        c.label.starts_with(std::to_string(c.value)));
        }
    }
    for (const CommandOption& o : CommandOptions()) {
        EXPECT_TRUE(flags.insert(o.flag).second) << o.flag;
        EXPECT_TRUE(!o.shortFlag || shortFlags.insert(o.shortFlag).second) << o.flag;
    }
    // The output page stores its list position as the format.
    for (int i = 0; i < options::OutputFormats().Count(); ++i) {
        EXPECT_EQ(options::OutputFormats().ValueAt(i), i);
    }
}

// The help names every flag the parser takes, on its own line or on the
// line of the options it is listed with.
TEST(OptionRegistry, HelpNamesEveryFlag) {
    const std::string usage = UsageText("tonalbox-convert");
    const auto named = [&](std::string_view flag) {
        for (const char* after : {" ", ",", "\n"}) {
            if (usage.find(" " + std::string(flag) + after) != std::string::npos) return true;
        }
        return false;
    };
    for (const UserOption& o : UserOptions()) EXPECT_TRUE(named(o.flag)) << o.flag;
    for (const CommandOption& o : CommandOptions()) EXPECT_TRUE(named(o.flag)) << o.flag;
}

}  // namespace
}  // namespace tonalbox::cli
