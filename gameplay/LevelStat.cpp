// The statistics line of a finished level.
#include "gameplay/LevelStat.h"

#include "foundation/QelLog.h"
#include "gameplay/Level.h"
#include "gameplay/LevelGame.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace {

constexpr size_t kNameWidth = 25;
const char kStatFile[] = "Stat.log";

std::string PadLeft(const std::string& text, size_t width)
{
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string TwoDigits(int64_t n)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%02lld", static_cast<long long>(n));
    return buffer;
}

}  // namespace

std::string StatLine(const std::string& playerName, const std::string& levelName, int64_t playedMs, int32_t score,
                     bool won)
{
    const int64_t seconds = std::max<int64_t>(0, playedMs) / 1000;
    return "Player: " + PadLeft(playerName, kNameWidth) + ", " + PadLeft(levelName, kNameWidth) + ", Time:" +
           TwoDigits(seconds / 60) + ":" + TwoDigits(seconds % 60) + " Score = " + std::to_string(score) +
           (won ? "" : " LOSE");
}

void WriteStat(tLevel& level, TLevelGame& game, bool won, int64_t now)
{
    TPlayer& player = game.ThePlayer();
    const int64_t played = now - level.Times.LevelStart;
    if (level.Links.Log)
        level.Links.Log->WriteLog(StatLine(player.Name, level.FileName, played, level.Play.Score.LevelScore, won),
                                  kStatFile);
    if (won && IsStandardLevel(level) && played > 0) {
        const auto& served = level.Play.Score.LevelServed;
        const int32_t total = std::accumulate(served.begin(), served.end(), 0);
        // Held within what a profile keeps, so the next level's time is what the saved
        // profile would give.
        player.SpeedPlay = std::clamp(static_cast<double>(total) / static_cast<double>(played) * 1000.0,
                                      kMinSpeedPlay, kMaxSpeedPlay);
    }
    game.Session.PreviousLevelWon = won;
    game.Session.WonOrNewGame = won;
    if (won)
        game.Session.NoLevelWonYet = false;
}
