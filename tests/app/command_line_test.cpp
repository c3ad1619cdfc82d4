#include <gtest/gtest.h>

#include "app/action_block.h"
#include "app/command_line.h"
#include "app/preset_table.h"
#include "app/tune_text.h"

namespace {

CommandLine Parse(const QString& line) {
    return ParseCommandLine(line.split(' ', Qt::SkipEmptyParts));
}

TEST(CommandLine, SwitchesInEitherCaseAndWithEitherPrefix) {
    EXPECT_EQ(Parse("/q").actions.flags, kActionFlagMute);
    EXPECT_EQ(Parse("-N").actions.flags, kActionFlagUnmute);
    EXPECT_EQ(Parse("/R").actions.flags, kActionFlagRecord);
    EXPECT_EQ(Parse("-s").actions.flags, kActionFlagStopRecord);
    EXPECT_EQ(Parse("/q /n").actions.flags, kActionFlagMute | kActionFlagUnmute);
    EXPECT_TRUE(Parse("/d").debugDisplay);
    EXPECT_TRUE(Parse("-M").minimizedStart);
    EXPECT_FALSE(Parse("/m").debugDisplay);
}

// What reaches the switches once the toolkit's options are taken out, and
// what they ask for.
TEST(CommandLine, ToolkitOptionsAndPathsAreNoSwitches) {
    const struct {
        QStringList arguments;
        quint32 flags;
        bool debugDisplay;
    } rows[] = {
        {{"-reverse"}, 0, false},
        {{"-session", "1a2b3c/r"}, 0, false},
        {{"-session", "-s"}, 0, false},
        {{"-display", "-d"}, 0, false},
        {{"-style=fusion", "-q"}, kActionFlagMute, false},
        {{"-platform", "offscreen", "-qwindowtitle", "/r", "/s"}, kActionFlagStopRecord, false},
        {{"/recordings/today.wav", "/record"}, 0, false},
        {{"-d", "-name", "x"}, 0, true},
    };
    for (const auto& row : rows) {
        const CommandLine c = ParseCommandLine(WithoutToolkitOptions(row.arguments));
        EXPECT_EQ(c.actions.flags, row.flags) << row.arguments.join(' ').toStdString();
        EXPECT_EQ(c.debugDisplay, row.debugDisplay) << row.arguments.join(' ').toStdString();
    }
    EXPECT_EQ(WithoutToolkitOptions({"-t", "89.5", "-reverse", "/r"}),
              QStringList({"-t", "89.5", "/r"}));
}

TEST(CommandLine, HelpAndVersionEndTheParse) {
    EXPECT_TRUE(Parse("/r --help").showHelp);
    EXPECT_EQ(Parse("--version /r").actions.flags, 0u);
    EXPECT_TRUE(Parse("--version").showVersion);
}

TEST(CommandLine, OtherArgumentsAndUnknownLettersAreIgnored) {
    const CommandLine c = Parse("radio / - /x -z 89.5");
    EXPECT_EQ(c.actions.flags, 0u);
    EXPECT_FALSE(c.debugDisplay || c.minimizedStart || c.removeAutostart);
}

TEST(CommandLine, TuneTakesTheNextArgument) {
    CommandLine c = Parse("/t 89.5 /r");
    EXPECT_EQ(c.actions.flags, kActionFlagTune | kActionFlagRecord);
    EXPECT_EQ(c.actions.TuneText(), "89.5");

    c = ParseCommandLine({"-T", "Radio Jazz"});
    EXPECT_EQ(c.actions.TuneText(), "Radio Jazz");

    c = Parse("/q /t");
    EXPECT_EQ(c.actions.flags, kActionFlagMute | kActionFlagTune) << "flag without argument";
    EXPECT_EQ(c.actions.TuneText(), "");

    c = ParseCommandLine({"/t", QString(300, 'x')});
    EXPECT_EQ(c.actions.TuneText().size(), 259);
}

TEST(CommandLine, RemoveAutostartEndsTheParse) {
    const CommandLine c = Parse("/q /u /r");
    EXPECT_TRUE(c.removeAutostart);
    EXPECT_EQ(c.actions.flags, kActionFlagMute);
}

TEST(ActionBlock, WireLayoutIsFixed) {
    ActionBlock block;
    block.flags = kActionFlagMute | kActionFlagTune | 0x12345600;
    block.SetTuneText("89.5");
    const QByteArray wire = block.Serialize();
    ASSERT_EQ(wire.size(), 524);
    EXPECT_EQ(wire.left(4), QByteArray("\x11\x56\x34\x12", 4));
    EXPECT_EQ(wire.mid(4, 5), QByteArray("89.5\0", 5));
    EXPECT_EQ(wire.mid(9, 255), QByteArray(255, '\0'));
    EXPECT_EQ(wire.mid(264), QByteArray(260, '\0')) << "spare text sent empty";

    const auto back = ActionBlock::Parse(wire);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->flags, block.flags);
    EXPECT_EQ(back->TuneText(), "89.5");
}

TEST(ActionBlock, OnlyWholeBlocksAreAccepted) {
    const QByteArray wire = ActionBlock{}.Serialize();
    EXPECT_FALSE(ActionBlock::Parse(wire.left(523)).has_value());
    EXPECT_FALSE(ActionBlock::Parse(wire + '\0').has_value());
    EXPECT_FALSE(ActionBlock::Parse({}).has_value());
}

TEST(ActionBlock, UnterminatedTextEndsAtItsField) {
    QByteArray wire(524, 'x');
    wire[0] = 0x10;
    wire[1] = wire[2] = wire[3] = 0;
    const auto block = ActionBlock::Parse(wire);
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(block->TuneText(), QByteArray(259, 'x'));
}

class TuneText : public ::testing::Test {
  protected:
    void SetUp() override {
        presets.Set(3, 95.2f, "Jazz");
        presets.Set(5, 101.1f, "jazz");
        presets.Set(33, 0.54f, "Talk");  // AM presets are not searched
    }
    PresetTable presets;
};

TEST_F(TuneText, NumbersAreMegahertzOrTensOfKilohertzForAm) {
    EXPECT_FLOAT_EQ(FrequencyFromTuneText("89.5", presets).value(), 89.5f);
    EXPECT_FLOAT_EQ(FrequencyFromTuneText("54a", presets).value(), 0.54f);
    EXPECT_FLOAT_EQ(FrequencyFromTuneText("153 AM", presets).value(), 1.53f);
    EXPECT_FALSE(FrequencyFromTuneText("0.3", presets).has_value());
    EXPECT_FALSE(FrequencyFromTuneText("0.5", presets).has_value());
    EXPECT_FALSE(FrequencyFromTuneText("40a", presets).has_value()) << "0.4 MHz";
}

TEST_F(TuneText, NamesPickTheFirstFmPresetInAnyCase) {
    EXPECT_FLOAT_EQ(FrequencyFromTuneText("JAZZ", presets).value(), 95.2f);
    EXPECT_FALSE(FrequencyFromTuneText("Talk", presets).has_value());
    EXPECT_FALSE(FrequencyFromTuneText("Rock", presets).has_value());
    EXPECT_FALSE(FrequencyFromTuneText("", presets).has_value())
        << "an empty text must not match the unnamed presets";
}

}  // namespace
