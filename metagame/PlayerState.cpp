// Reading and writing the values of one profile.
#include "metagame/PlayerState.h"

#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "metagame/Player.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace {

// "1 2 3 ": every value followed by one space.
template <class Range>
std::string ListText(const Range& values)
{
    std::string text;
    for (auto v : values) {
        text += IntToStr(static_cast<int64_t>(v));
        text += ' ';
    }
    return text;
}

std::vector<int32_t> ReadList(std::string_view text)
{
    std::vector<int32_t> values;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ')
            ++i;
        size_t start = i;
        while (i < text.size() && static_cast<unsigned char>(text[i]) > ' ')
            ++i;
        if (i > start)
            values.push_back(LeadingInt(text.substr(start, i - start)));
    }
    return values;
}

std::optional<std::string> ValueOf(const TQelXMLTag& state, std::string_view name)
{
    if (const TQelXMLTag* child = state.GetChildByName(name))
        return child->Text;
    return std::nullopt;
}

int32_t IntOf(const TQelXMLTag& state, std::string_view name, int32_t fallback = 0)
{
    auto text = ValueOf(state, name);
    return text ? LeadingInt(*text) : fallback;
}

// The leading decimal real of the text, with "," taken as the decimal separator too
// (profiles written where the system's number format uses a comma); 0 when there is none.
double LeadingReal(std::string_view text)
{
    std::string s(TrimView(text));
    std::replace(s.begin(), s.end(), ',', '.');
    double v = 0;
    const char* first = s.data();
    if (!s.empty() && s[0] == '+')
        ++first;
    auto [end, ec] = std::from_chars(first, s.data() + s.size(), v, std::chars_format::fixed);
    if (ec != std::errc() || !std::isfinite(v))
        return 0;
    return v;
}

void Add(TQelXMLTag& state, std::string name, std::string text)
{
    state.AddChild(std::move(name), std::move(text));
}

std::string Bit(bool v)
{
    return v ? "1" : "0";
}

std::string Word(bool v)
{
    return v ? "true" : "false";
}

}  // namespace

bool StateFlag(const TQelXMLTag& state, std::string_view name, bool fallback)
{
    auto text = ValueOf(state, name);
    if (!text)
        return fallback;
    if (auto b = StrictBool(*text))
        return *b;
    return LeadingInt(*text) != 0;
}

void WriteShowInstructions(TQelXMLTag& state, const TPlayer& player)
{
    Add(state, "ShowInstructions", Word(player.ShowInstructions));
}

void WriteShowHints(TQelXMLTag& state, const TPlayer& player)
{
    Add(state, "ShowHints", ListText(player.HintsShown));
}

void WriteKostums(TQelXMLTag& state, const TPlayer& player)
{
    TQelXMLTag* kostums = state.AddChild("Kostums", ListText(player.Kostums));
    kostums->AddAttribute("Cur", IntToStr(player.Cur));
}

void WritePlayerState(TQelXMLTag& state, const TPlayer& player)
{
    std::array<int32_t, kEpisodSlots> won{};
    for (size_t i = 0; i < won.size(); ++i)
        won[i] = player.WinEpisode[i] ? 1 : 0;

    Add(state, "WinGame", Bit(player.WinGame));
    Add(state, "CurrentScore", IntToStr(player.CurrentScore));
    Add(state, "TotalScore", IntToStr(player.TotalScore));
    Add(state, "EpisodeScore", ListText(player.EpisodeScore));
    Add(state, "WinEpisode", ListText(won));
    Add(state, "BagsCount", IntToStr(player.BagsCount));
    Add(state, "GreatCount", IntToStr(player.GreatCount));
    Add(state, "ExelentCount", IntToStr(player.ExelentCount));
    Add(state, "IncredibleCount", IntToStr(player.IncredibleCount));
    Add(state, "FantasticCount", IntToStr(player.FantasticCount));
    Add(state, "NoMinus10", Bit(player.NoMinus10));
    Add(state, "ExtraExpertGoal", IntToStr(player.ExtraExpertGoal));
    Add(state, "NoBy", IntToStr(player.NoBy));
    Add(state, "ChooseInterior", IntToStr(player.ChooseInterior));
    Add(state, "PrevScore", IntToStr(player.PrevScore));
    Add(state, "ShowInHighScores", Word(player.ShowInHighScores));
    WriteShowInstructions(state, player);
    Add(state, "MaxEpisod", IntToStr(player.MaxEpisod));
    Add(state, "CurrentEpisod", IntToStr(player.CurrentEpisod));
    Add(state, "CurrentLevel", IntToStr(player.CurrentLevel));
    WriteShowHints(state, player);
    // Always "." whatever the system's number format, so the value reads back anywhere.
    Add(state, "SpeedPlay", FormatFixed(player.SpeedPlay, 2));
    WriteKostums(state, player);
    if (!player.UpdateObjects.empty()) {
        TQelXMLTag* bought = state.AddChild("UpdateObject");
        for (const auto& episod : player.UpdateObjects)
            bought->AddChild("UpdateObject", ListText(episod));
    }
}

void ReadPlayerState(const TQelXMLTag& state, TPlayer& player)
{
    player.WinGame = StateFlag(state, "WinGame", false);
    player.CurrentScore = IntOf(state, "CurrentScore");
    player.TotalScore = IntOf(state, "TotalScore");

    player.EpisodeScore.fill(0);
    player.WinEpisode.fill(false);
    if (auto text = ValueOf(state, "EpisodeScore")) {
        auto values = ReadList(*text);
        for (size_t i = 0; i < values.size() && i < player.EpisodeScore.size(); ++i)
            player.EpisodeScore[i] = values[i];
    }
    if (auto text = ValueOf(state, "WinEpisode")) {
        auto values = ReadList(*text);
        for (size_t i = 0; i < values.size() && i < player.WinEpisode.size(); ++i)
            player.WinEpisode[i] = values[i] != 0;
    }

    player.BagsCount = IntOf(state, "BagsCount");
    player.GreatCount = IntOf(state, "GreatCount");
    player.ExelentCount = IntOf(state, "ExelentCount");
    player.IncredibleCount = IntOf(state, "IncredibleCount");
    player.FantasticCount = IntOf(state, "FantasticCount");
    player.NoMinus10 = StateFlag(state, "NoMinus10", false);
    player.ExtraExpertGoal = IntOf(state, "ExtraExpertGoal");
    player.NoBy = IntOf(state, "NoBy");
    player.ChooseInterior = IntOf(state, "ChooseInterior");
    player.PrevScore = IntOf(state, "PrevScore");
    player.ShowInHighScores = StateFlag(state, "ShowInHighScores", true);
    player.MaxEpisod = IntOf(state, "MaxEpisod");
    player.CurrentEpisod = IntOf(state, "CurrentEpisod");
    player.CurrentLevel = IntOf(state, "CurrentLevel");

    player.HintsShown.clear();
    if (auto text = ValueOf(state, "ShowHints"))
        player.HintsShown = ReadList(*text);

    auto speed = ValueOf(state, "SpeedPlay");
    player.SpeedPlay = speed ? LeadingReal(*speed) : kMinSpeedPlay;
    player.SpeedPlay = std::clamp(player.SpeedPlay, kMinSpeedPlay, kMaxSpeedPlay);

    if (const TQelXMLTag* kostums = state.GetChildByName("Kostums")) {
        player.Kostums = {1, 1, 0};
        auto values = ReadList(kostums->Text);
        for (size_t i = 0; i < values.size() && i < player.Kostums.size(); ++i)
            player.Kostums[i] = values[i];
        const auto* cur = kostums->GetAttributeByName("Cur");
        player.Cur = cur ? LeadingInt(cur->Value) : 1;
    } else {
        player.Kostums = {1, 1, 0};
    }

    if (const TQelXMLTag* bought = state.GetChildByName("UpdateObject")) {
        player.UpdateObjects.clear();
        for (const auto& episod : bought->Children)
            player.UpdateObjects.push_back(ReadList(episod->Text));
    }

    player.ShowInstructions = StateFlag(state, "ShowInstructions", true);
    HoldPlayerInRange(player);
}
