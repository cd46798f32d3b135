// Reading "GameParams.xml" into the game parameters.
#include "gameplay/GameParams.h"

#include "foundation/DataScramble.h"
#include "foundation/Files.h"
#include "foundation/MemoryStream.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"

#include <exception>

namespace {

const char kLoadError[] = "Error LoadGameParams: ";
const char kNoTags[] = "XML file does not has tags!";
const char kZeroNote[] = "; every game parameter is 0";

// An attribute of the element, or else the text of its child element of that name (content
// may write list entries either way); empty when it has neither.
std::string AttributeOrChild(const TQelXMLTag& tag, std::string_view name)
{
    if (const TQelParserAttribute* attribute = tag.GetAttributeByName(name))
        return attribute->Value;
    if (const TQelXMLTag* child = tag.GetChildByName(name))
        return child->Text;
    return {};
}

double RealOf(const TQelXMLTag& tag, std::string_view name) { return XMLStrToFloat(AttributeOrChild(tag, name)); }

int32_t IntElement(const TQelXMLTag& root, std::string_view name, int32_t fallback)
{
    const TQelXMLTag* tag = root.GetChildByName(name);
    return tag ? LeadingInt(tag->Text) : fallback;
}

TScreenMusic MusicElement(const TQelXMLTag& root, std::string_view name)
{
    const TQelXMLTag* tag = root.GetChildByName(name);
    if (!tag)
        return {};
    return {tag->Text, tag->AttributeValue("StartPattern")};
}

// Every child of the list is an entry, whatever its name.
std::vector<TSpeedInterval> Intervals(const TQelXMLTag& root, std::string_view name)
{
    std::vector<TSpeedInterval> intervals;
    if (const TQelXMLTag* list = root.GetChildByName(name))
        for (const auto& entry : list->Children)
            intervals.push_back({LeadingInt(AttributeOrChild(*entry, "Value")), RealOf(*entry, "KoeffSpeed")});
    return intervals;
}

TLevelTimeParams Timers(const TQelXMLTag& root)
{
    TLevelTimeParams timers;
    const TQelXMLTag* tag = root.GetChildByName("BonusTimers");
    if (!tag)
        return timers;
    timers.NewKostum = RealOf(*tag, "NewKostum");
    timers.NewLevel = RealOf(*tag, "NewLevel");
    timers.NewEpisod = RealOf(*tag, "NewEpisod");
    timers.NewStartGame = RealOf(*tag, "NewStartGame");
    timers.LoseLevel = RealOf(*tag, "LoseLevel");
    timers.Deduction1 = RealOf(*tag, "Deduction1");
    timers.Deduction2 = RealOf(*tag, "Deduction2");
    timers.Deduction3 = RealOf(*tag, "Deduction3");
    return timers;
}

TGameParams ReadRoot(const TQelXMLTag& root)
{
    TGameParams params;
    params.ParamReverceLenta = IntElement(root, "ParamReverceLenta", kDefaultParamReverceLenta);
    params.ParamPauseLenta = IntElement(root, "ParamPauseLenta", kDefaultParamPauseLenta);
    params.HintButtonDuration = IntElement(root, "HintButtonDuration", kDefaultHintButtonDuration);
    params.MusicInTitle = MusicElement(root, "MusicInTitle");
    params.MusicInMap = MusicElement(root, "MusicInMap");
    params.MusicInCatalog = MusicElement(root, "MusicInCatalog");
    params.SpeedIntervals = Intervals(root, "SpeedIntervals");
    params.SpeedIntervalsAfterGoal = Intervals(root, "SpeedIntervalsAfterGoal");
    params.TimeShowMoneyBag = IntElement(root, "TimeShowMoneyBag", kDefaultTimeShowMoneyBag);
    params.BonusTimers = Timers(root);
    return params;
}

}  // namespace

TBeltTuning TGameParams::BeltTuning() const
{
    TBeltTuning tuning;
    tuning.ReverseParam = ParamReverceLenta;
    tuning.PauseDuration = ParamPauseLenta;
    tuning.SpeedIntervals = SpeedIntervals;
    tuning.SpeedIntervalsAfterGoal = SpeedIntervalsAfterGoal;
    tuning.TimeShowMoneyBag = TimeShowMoneyBag;
    return tuning;
}

std::string GameParamsText(std::vector<uint8_t> bytes)
{
    TMemoryStream loaded(std::move(bytes));
    if (IsPlainText(loaded))
        return std::string(loaded.View());
    TMemoryStream plain;
    ScrambleStream(loaded, plain, kDataKey);
    return std::string(plain.View());
}

TGameParams ReadGameParamsText(std::string_view text, std::string_view fileName, TGameLog& log)
{
    // A broken file must never end the loading of the game: whatever happens is one line.
    try {
        TQelParser document;
        document.LoadFromText(text);
        if (document.Children.empty()) {
            log.WriteLog(std::string(fileName) + kNoTags);
            return {};
        }
        const TQelXMLTag& root = *document.Children.front();
        if (root.Name != "GamePlayParams") {
            log.WriteLog(kLoadError + std::string(fileName) + ": the first element is " + root.Name +
                         ", not GamePlayParams" + kZeroNote);
            return {};
        }
        return ReadRoot(root);
    } catch (const std::exception& e) {
        log.WriteLog(kLoadError + std::string(fileName) + ": " + e.what() + kZeroNote);
        return {};
    }
}

TGameParams LoadGameParams(const std::filesystem::path& fileName, TGameLog& log)
{
    std::string why;  // names the file
    auto bytes = ReadFileBytes(fileName, &why);
    if (!bytes) {
        log.WriteLog(kLoadError + why + kZeroNote);
        return {};
    }
    return ReadGameParamsText(GameParamsText(std::move(*bytes)), fileName.string(), log);
}
