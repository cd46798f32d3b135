// Reading the developer options.
#include "app/DevOptions.h"

#include "foundation/Text.h"

#include <array>
#include <functional>
#include <string_view>

namespace {

struct TOptionRow {
    std::string_view Name;
    std::string_view Value;  // empty for a flag
    std::string_view Help;
    std::function<bool(TDevOptions&, const std::string& value)> Apply;
};

std::optional<int64_t> WholeNumber(const std::string& value, int64_t lo, int64_t hi)
{
    auto n = StrictInt(value);
    if (!n || *n < lo || *n > hi || value.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return n;
}

// "E,L": an episode and a day, both from 1.
std::optional<std::pair<int32_t, int32_t>> EpisodeAndDay(const std::string& value)
{
    constexpr int64_t kMostDays = 1000;
    const size_t comma = value.find(',');
    if (comma == std::string::npos)
        return std::nullopt;
    auto episode = WholeNumber(value.substr(0, comma), 1, kMostDays);
    auto day = WholeNumber(value.substr(comma + 1), 1, kMostDays);
    if (!episode || !day)
        return std::nullopt;
    return std::pair{static_cast<int32_t>(*episode), static_cast<int32_t>(*day)};
}

const std::vector<TOptionRow>& Rows()
{
    static const std::vector<TOptionRow> rows{
        {"--frames", "N", "close normally after N frames",
         [](TDevOptions& o, const std::string& v) { return (o.Frames = WholeNumber(v, 0, INT64_MAX / 2)).has_value(); }},
        {"--screenshot", "FILE.png", "write the composed frame (\"MemorySurface\") as PNG at exit",
         [](TDevOptions& o, const std::string& v) { return !v.empty() && (o.Screenshot = v, true); }},
        {"--user-dir", "DIR", "the player's folder (options, logs, profiles) instead of the usual one",
         [](TDevOptions& o, const std::string& v) { return !v.empty() && (o.UserDir = v, true); }},
        {"--data", "DIR", "read plain data files from DIR instead of the archive",
         [](TDevOptions& o, const std::string& v) { return !v.empty() && (o.DataDir = v, true); }},
        {"--fixed-step", "MS", "the game clock advances MS milliseconds per frame instead of following real time",
         [](TDevOptions& o, const std::string& v) {
             auto n = WholeNumber(v, 1, 1000);
             return n && (o.FixedStepMs = static_cast<int>(*n), true);
         }},
        {"--seed", "N", "seed of the gameplay random stream (otherwise taken from the clock)",
         [](TDevOptions& o, const std::string& v) {
             auto n = WholeNumber(v, 0, UINT32_MAX);
             return n && (o.Seed = static_cast<uint32_t>(*n), true);
         }},
        {"--uncapped", "", "no vsync and no 60 frames per second cap (per-frame steps of the game run faster)",
         [](TDevOptions& o, const std::string&) { return o.Uncapped = true; }},
        {"--headless", "", "no desktop and no sound card (SDL's dummy video and audio drivers)",
         [](TDevOptions& o, const std::string&) { return o.Headless = true; }},
        {"--input", "FILE", "play the timed input lines of FILE (see below)",
         [](TDevOptions& o, const std::string& v) { return !v.empty() && (o.InputScript = v, true); }},
        {"--trace", "FILE", "write one line per game event to FILE (see below)",
         [](TDevOptions& o, const std::string& v) { return !v.empty() && (o.Trace = v, true); }},
        {"--level", "E,L",
         "start at the window before day L of episode E (both from 1, bonus and picture days counted) for the "
         "current player, or a new player \"Tester\"",
         [](TDevOptions& o, const std::string& v) { return (o.Level = EpisodeAndDay(v)).has_value(); }},
        {"--bot", "NAME", "the simulator's bot (greedy, random or idle) plays every day, with the player's mouse",
         [](TDevOptions& o, const std::string& v) {
             return (v == "greedy" || v == "random" || v == "idle") && (o.Bot = v, true);
         }},
        {"--help", "", "this text", [](TDevOptions& o, const std::string&) { return o.Help = true; }},
    };
    return rows;
}

}  // namespace

bool ParseDevOptions(const std::vector<std::string>& args, TDevOptions& options, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string name = arg;
        std::optional<std::string> value;
        if (size_t eq = arg.find('='); eq != std::string::npos && arg.starts_with("--")) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        const TOptionRow* row = nullptr;
        for (const TOptionRow& r : Rows())
            if (r.Name == name)
                row = &r;
        if (!row) {
            error = "unknown option \"" + arg + "\"";
            return false;
        }
        if (!row->Value.empty() && !value) {
            if (i + 1 >= args.size()) {
                error = std::string(row->Name) + " needs " + std::string(row->Value);
                return false;
            }
            value = args[++i];
        }
        if (row->Value.empty() && value) {
            error = std::string(row->Name) + " takes no value";
            return false;
        }
        if (!row->Apply(options, value.value_or(""))) {
            error = "bad value \"" + value.value_or("") + "\" for " + std::string(row->Name);
            return false;
        }
    }
    return true;
}

std::string DevOptionsHelp()
{
    std::string text = "Usage: glimmora [options]\n\n"
                       "Glimmora takes no command line to play. These options are for tests and developers:\n\n";
    for (const TOptionRow& row : Rows()) {
        std::string left = "  " + std::string(row.Name) + (row.Value.empty() ? "" : " " + std::string(row.Value));
        left.resize(std::max<size_t>(left.size() + 2, 24), ' ');
        text += left + std::string(row.Help) + "\n";
    }
    text += "\nInput lines (--input), one event per line, F the frame number from 0 or +N (N frames\n"
            "after the frame the previous line ran on), X Y a point of the 800 x 600 frame:\n"
            "  F mouse X Y | F down X Y | F up X Y | F rdown X Y | F rup X Y\n"
            "  F wheel D      D notches, positive away from the player\n"
            "  F key NAME     Enter, Esc, Space, Tab, Backspace, Left, Up, Right, Down, Home, End,\n"
            "                 PageUp, PageDown, Insert, Delete, A..Z, 0..9, Num0..Num9, F1..F12,\n"
            "                 with any of the prefixes ctrl+ alt+ shift+ (ctrl+P, alt+Enter)\n"
            "  F char C       types the one character C\n"
            "  F click NAME   presses the visible widget NAME at its centre, releases it next frame\n"
            "  F wait NAME    holds the script until the widget NAME is visible; the next +N\n"
            "                 counts from the frame it appeared\n"
            "Lines run in their order. Blank lines and lines starting with # are skipped. A malformed\n"
            "line stops the run with exit status 2; a click on a hidden widget, or a wait of more than\n"
            "20000 frames, with exit status 3.\n"
            "\nTrace lines (--trace), \"<frame> <kind> <detail>\": mode <ScreenMode>, show <window>,\n"
            "hide <window>, exec <handler>, progress <0-100>, level <file>,\n"
            "result complete|failed <LevelScore> <Goal>, save <file>, music <module>, and last\n"
            "end <ScreenMode> <player or -> <episode> <level> <money>.\n";
    return text;
}
