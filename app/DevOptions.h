// The developer options of the program. The game itself takes no command line; these
// serve tests, demonstrations and debugging.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct TDevOptions {
    std::optional<int64_t> Frames;                   // close normally after this many frames
    std::optional<std::filesystem::path> Screenshot;  // the frame as PNG at exit
    std::optional<std::filesystem::path> UserDir;
    std::optional<std::filesystem::path> DataDir;
    std::optional<int> FixedStepMs;
    std::optional<uint32_t> Seed;
    std::optional<std::filesystem::path> InputScript;
    std::optional<std::filesystem::path> Trace;
    // Straight into a day: the episode and the day in the episode list's order, from 1.
    std::optional<std::pair<int32_t, int32_t>> Level;
    // The simulator's bot that plays every day the run starts ("greedy", "random", "idle").
    std::optional<std::string> Bot;
    bool Uncapped = false;
    bool Headless = false;
    bool Help = false;

    // A run driven by its options rather than by a player: it keeps running frames when
    // the window loses the focus, so its result does not depend on the desktop.
    bool IsScripted() const { return Frames.has_value() || InputScript.has_value() || Bot.has_value(); }
};

// False (error says why) for an unknown option or a bad value.
bool ParseDevOptions(const std::vector<std::string>& args, TDevOptions& options, std::string& error);
std::string DevOptionsHelp();
