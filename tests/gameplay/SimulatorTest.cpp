// The level simulator as its users run it on the shipped data: the greedy bot completes the
// first shop's days with combos and the idle bot fails them, and the same arguments give the
// same line.
#include "tests/common/RunCommand.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Standard output only: the result lines.
TCommandRun Sim(const std::string& arguments)
{
    const std::string data = std::string(GLIM_CONTENT_DIR) + "/data";
    return RunCommand(std::string(GLIMMORA_TOOL) + " sim --data '" + data + "' " + arguments + " 2>/dev/null");
}

// The "key=value" fields of one result line.
std::map<std::string, std::string> Fields(const std::string& line)
{
    std::map<std::string, std::string> fields;
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        size_t eq = word.find('=');
        if (eq != std::string::npos)
            fields[word.substr(0, eq)] = word.substr(eq + 1);
    }
    return fields;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

TEST(LevelSimulator, TheGreedyBotCompletesTheFirstDayAndTheIdleBotFailsIt)
{
    TCommandRun greedy = Sim("--episode 1 --level 1 --seed 1 --bot greedy");
    ASSERT_EQ(greedy.Status, 0);
    auto g = Fields(greedy.Out);
    EXPECT_EQ(g["episode"], "1");
    EXPECT_EQ(g["level"], "1");
    EXPECT_EQ(g["seed"], "1");
    EXPECT_EQ(g["bot"], "greedy");
    EXPECT_EQ(g["result"], "complete");
    EXPECT_GE(std::stoi(g["score"]), std::stoi(g["goal"]));
    EXPECT_GT(std::stoi(g["served"]), 0);

    TCommandRun idle = Sim("--episode 1 --level 1 --seed 1 --bot idle");
    ASSERT_EQ(idle.Status, 0);
    auto i = Fields(idle.Out);
    EXPECT_EQ(i["result"], "failed");
    EXPECT_EQ(i["score"], "0");
    EXPECT_EQ(i["served"], "0");
    EXPECT_GT(std::stoi(i["lost"]), 0);
    EXPECT_EQ(i["combos"], "0/0/0/0");
    EXPECT_EQ(i["bags"], "0");
}

TEST(LevelSimulator, TheSameArgumentsGiveTheSameLine)
{
    for (const char* args : {"--episode 1 --level 2 --seed 7 --bot greedy", "--episode 1 --level 3 --seed 3 --bot random"}) {
        SCOPED_TRACE(args);
        TCommandRun first = Sim(args);
        TCommandRun second = Sim(args);
        ASSERT_EQ(first.Status, 0);
        EXPECT_FALSE(first.Out.empty());
        EXPECT_EQ(first.Out, second.Out);
    }
    // Another seed plays another game.
    EXPECT_NE(Sim("--episode 1 --level 2 --seed 8 --bot random").Out, Sim("--episode 1 --level 2 --seed 7 --bot random").Out);
}

// The groups served at once ("great/excellent/incredible/fantastic") of one line.
int ComboCount(const std::string& combos)
{
    int total = 0;
    std::istringstream parts(combos);
    std::string part;
    while (std::getline(parts, part, '/'))
        total += std::stoi(part);
    return total;
}

TEST(LevelSimulator, EveryStandardDayOfTheFirstShopIsWonByTheGreedyBotWithCombosAndLostWhenIdle)
{
    for (const char* bot : {"greedy", "idle"}) {
        for (const char* seed : {"1", "2", "3"}) {
            SCOPED_TRACE(std::string(bot) + " seed " + seed);
            TCommandRun all = Sim(std::string("--all --episode 1 --seed ") + seed + " --bot " + bot);
            ASSERT_EQ(all.Status, 0);
            int firstShop = 0;
            int combos = 0;
            for (const std::string& line : Lines(all.Out)) {
                auto f = Fields(line);
                // Days whose level files are not written yet are reported, not played.
                EXPECT_TRUE(f["result"] == "complete" || f["result"] == "failed" || f["result"] == "missing") << line;
                EXPECT_EQ(f["episode"], "1") << line;
                ++firstShop;
                EXPECT_EQ(f["result"], std::string(bot) == "greedy" ? "complete" : "failed") << line;
                ASSERT_EQ(f.count("combos"), 1u) << line;
                ASSERT_EQ(f.count("bags"), 1u) << line;
                combos += ComboCount(f["combos"]);
            }
            EXPECT_EQ(firstShop, 8);
            if (std::string(bot) == "greedy")
                EXPECT_GT(combos, 0);
            else
                EXPECT_EQ(combos, 0);
        }
    }
}

TEST(LevelSimulator, TheBonusAndPictureDaysAreCountedInTheirPlaceWonWhenGreedyAndLostWhenIdle)
{
    struct TDay {
        const char* Level;
        const char* Kind;
    };
    for (const TDay& day : {TDay{"4", "bonus"}, TDay{"8", "pixel"}})
        for (const char* seed : {"1", "2"}) {
            SCOPED_TRACE(std::string(day.Kind) + " seed " + seed);
            auto greedy = Fields(Sim(std::string("--episode 1 --level ") + day.Level + " --seed " + seed).Out);
            EXPECT_EQ(greedy["day"], day.Kind);
            EXPECT_EQ(greedy["result"], "complete");
            EXPECT_GE(std::stoi(greedy["score"]), std::stoi(greedy["goal"]));
            auto idle = Fields(Sim(std::string("--episode 1 --level ") + day.Level + " --seed " + seed + " --bot idle").Out);
            EXPECT_EQ(idle["result"], "failed");
            EXPECT_EQ(idle["score"], "0");
        }
}

TEST(LevelSimulator, BadArgumentsAreRefused)
{
    for (const char* args : {"--episode 1", "--episode 1 --level 1 --bot clever", "--episode 0 --level 1",
                             "--episode 1 --level 9"}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(Sim(args).Status, 1);
    }
}

}  // namespace
