// Reading the episode file, and the lookups over episodes and levels.
#include "metagame/Episods.h"

#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "metagame/GameTables.h"
#include "metagame/Shop.h"
#include "metagame/WidgetAccess.h"

#include <algorithm>
#include <stdexcept>

namespace {

// A value that must parse strictly did not: reading stops there.
class EBadValue : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view part = TrimView(text.substr(start, end - start));
        if (!part.empty())
            parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

// "x,y", split at the first comma; each half read from its leading digits.
TPoint ReadPoint(std::string_view text)
{
    size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return {LeadingInt(text), 0};
    return {LeadingInt(text.substr(0, comma)), LeadingInt(text.substr(comma + 1))};
}

int32_t IntAttr(const TQelXMLTag& tag, std::string_view name)
{
    return LeadingInt(tag.AttributeValue(name));
}

std::string Where(size_t episod, std::optional<size_t> level = std::nullopt)
{
    std::string where = "episode " + IntToStr(static_cast<int64_t>(episod) + 1);
    if (level)
        where += ", level " + IntToStr(static_cast<int64_t>(*level) + 1);
    return where;
}

TLevelInEpisod ReadLevel(const TQelXMLTag& tag, const IGameTables& tables, const std::string& where)
{
    TLevelInEpisod level;
    level.Name = tag.AttributeValue("Name");
    level.MusicId = tag.AttributeValue("Music");
    if (!level.MusicId.empty())
        level.Music = tables.MusicFileById(level.MusicId).value_or(std::string());
    if (const auto* bonus = tag.GetAttributeByName("Bonus")) {
        auto value = StrictBool(bonus->Value);
        if (!value)
            throw EBadValue(where + ": Bonus \"" + bonus->Value + "\" is not true or false");
        level.Bonus = *value;
    }
    level.MusicPattern = tag.AttributeValue("MusicPattern", "0");
    level.BornPeriod = IntAttr(tag, "BornPeriod");
    level.SpeedLenta = IntAttr(tag, "SpeedLenta");
    const std::string upgrades = tag.AttributeValue("AddUpgrage");
    for (std::string_view number : Split(upgrades, ','))
        level.AddUpgrage.push_back(LeadingInt(number));
    if (const auto* time = tag.GetAttributeByName("AddPersonTimeInLevel")) {
        auto value = StrictInt(time->Value);
        if (!value || *value < INT32_MIN || *value > INT32_MAX)
            throw EBadValue(where + ": AddPersonTimeInLevel \"" + time->Value + "\" is not an integer");
        level.AddPersonTimeInLevel = static_cast<int32_t>(*value);
    }
    if (const TQelXMLTag* p = tag.GetChildByName("Probabilities")) {
        level.Probabilities.Normal = p->GetAttributeByName("Normal") ? IntAttr(*p, "Normal") : 100;
        level.Probabilities.Reverce = IntAttr(*p, "Reverce");
        level.Probabilities.Plus1 = IntAttr(*p, "Plus1");
        level.Probabilities.Pause = IntAttr(*p, "Pause");
        level.Probabilities.Transform = IntAttr(*p, "Transform");
    }
    // The targets may sit in one Param element or be spread over several.
    for (const auto& child : tag.Children) {
        if (child->Name != "Param")
            continue;
        const TQelXMLTag& param = *child;
        auto set = [&param](std::string_view name, int32_t& field) {
            if (param.GetAttributeByName(name))
                field = IntAttr(param, name);
        };
        if (param.GetAttributeByName("LevelTime")) {
            int64_t ms = int64_t{IntAttr(param, "LevelTime")} * 1000;
            level.LevelTime = static_cast<int32_t>(std::clamp<int64_t>(ms, INT32_MIN, INT32_MAX));
        }
        set("CompleteNeed", level.CompleteNeed);
        set("PersCount", level.PersCount);
        set("Prize", level.Prize);
        set("Goal", level.Goal);
        set("ExGoal", level.ExGoal);
        set("GreatGoal", level.GreatGoal);
    }
    if (const TQelXMLTag* persons = tag.GetChildByName("Persons")) {
        if (const auto* factor = persons->GetAttributeByName("factor")) {
            auto value = StrictReal(factor->Value);
            if (!value)
                throw EBadValue(where + ": factor \"" + factor->Value + "\" is not a number");
            level.PersonsFactor = *value;
        }
        level.PersonsText = persons->Text;
        level.PersonsCount = IntAttr(*persons, "Count");
        level.Cast = ParseCast(persons->AttributeValue("Cast"), tables);
    }
    return level;
}

void ReadEpisod(const TQelXMLTag& tag, TEpisod& episod, size_t index, const IGameTables& tables, const TShop& shop)
{
    episod.Name = tag.AttributeValue("Name");
    episod.BackPicture = tag.AttributeValue("BackPicture");
    episod.PosJInMap = ReadPoint(tag.AttributeValue("PosJInMap"));
    episod.CursorInMap = ReadPoint(tag.AttributeValue("CursorInMap"));
    episod.PosEpisodInMap = ReadPoint(tag.AttributeValue("PosEpisodInMap"));

    if (const TQelXMLTag* dialogs = tag.GetChildByName("DialogList"))
        for (const auto& d : dialogs->Children)
            episod.DialogList.push_back({d->AttributeValue("FileName"), IntAttr(*d, "TimeStart")});
    if (const TQelXMLTag* effects = tag.GetChildByName("Effects"))
        for (const auto& e : effects->Children)
            episod.Effects.push_back({e->AttributeValue("Name"), ReadPoint(e->AttributeValue("Pos"))});
    if (const TQelXMLTag* upgrades = tag.GetChildByName("UpgradeList")) {
        const std::string ids = upgrades->AttributeValue("IDList");
        for (std::string_view id : Split(ids, ';')) {
            int32_t number = shop.FindUpgrade(id);
            if (number >= 0)
                episod.Upgrades.push_back(number);
        }
        for (const auto& item : upgrades->Children) {
            TUpgradeItem placed;
            placed.Kind = item->AttributeValue("Type") == "Effect" ? TUpgradeItemKind::Effect : TUpgradeItemKind::Picture;
            placed.FileName = item->AttributeValue("FileName");
            placed.Pos = ReadPoint(item->AttributeValue("Pos"));
            episod.UpgradeItems.push_back(std::move(placed));
        }
    }
    if (const TQelXMLTag* stages = tag.GetChildByName("LevelFishes"))
        for (const auto& stage : stages->Children) {
            std::vector<int32_t> types;
            for (std::string_view name : Split(stage->Text, ';')) {
                int32_t type = tables.FishkaTypeIndex(name);
                if (type >= 0)
                    types.push_back(type);
            }
            episod.LevelFishes.push_back(std::move(types));
        }
    if (const TQelXMLTag* levels = tag.GetChildByName("Levels"))
        for (size_t l = 0; l < levels->Children.size(); ++l)
            episod.Levels.push_back(ReadLevel(*levels->Children[l], tables, Where(index, l)));
}

}  // namespace

bool TLevelInEpisod::IsPixel() const
{
    return AsciiLower(Name).find("pixel") != std::string::npos;
}

int32_t TEpisod::StageType(int32_t stage, int32_t column) const
{
    if (stage < 1 || stage > static_cast<int32_t>(LevelFishes.size()) || column < 0)
        return -1;
    const auto& types = LevelFishes[static_cast<size_t>(stage - 1)];
    if (column >= static_cast<int32_t>(types.size()))
        return -1;
    return types[static_cast<size_t>(column)];
}

bool TEpisods::LoadEpisods(const TDataSource& data, std::string_view fileName, const IGameTables& tables,
                           const TShop& shop, bool debugMode, TGameLog& log)
{
    std::string error;
    auto bytes = data.Read(fileName, &error);
    if (!bytes) {
        Items.clear();
        log.WriteLog("Error LoadEpisods: " + error);
        if (!debugMode)
            Items.resize(kEpisodCount);
        return false;
    }
    return LoadEpisodsText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), tables,
                           shop, debugMode, log);
}

bool TEpisods::LoadEpisodsText(std::string_view text, const IGameTables& tables, const TShop& shop, bool debugMode,
                               TGameLog& log)
{
    Items.clear();
    bool ok = true;
    TQelParser document;
    document.LoadFromText(text);
    const TQelXMLTag* list = document.FindChildByName("Episods");
    if (!list) {
        log.WriteLog("Error LoadEpisods: no Episods element");
        ok = false;
    } else {
        for (size_t e = 0; e < list->Children.size(); ++e) {
            Items.emplace_back();
            try {
                ReadEpisod(*list->Children[e], Items.back(), e, tables, shop);
            } catch (const std::exception& ex) {
                log.WriteLog(std::string("Error LoadEpisods: ") + ex.what());
                ok = false;
                break;
            }
        }
    }
    if (!debugMode)
        Items.resize(kEpisodCount);
    return ok;
}

std::optional<TLevelRef> TEpisods::FindLevelInEpisod(std::string_view levelFileName) const
{
    for (size_t e = 0; e < Items.size(); ++e)
        for (size_t l = 0; l < Items[e].Levels.size(); ++l)
            if (Items[e].Levels[l].Name == levelFileName)
                return TLevelRef{static_cast<int32_t>(e), static_cast<int32_t>(l)};
    return std::nullopt;
}

const TEpisod* TEpisods::Episod(int32_t index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return &Items[static_cast<size_t>(index)];
}

TEpisod* TEpisods::Episod(int32_t index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    return &Items[static_cast<size_t>(index)];
}

const TLevelInEpisod* TEpisods::Level(int32_t episod, int32_t level) const
{
    const TEpisod* e = Episod(episod);
    if (!e || level < 0 || level >= static_cast<int32_t>(e->Levels.size()))
        return nullptr;
    return &e->Levels[static_cast<size_t>(level)];
}

bool TEpisods::IsPlayable(int32_t episod) const
{
    const TEpisod* e = Episod(episod);
    return e && !e->Levels.empty();
}

std::vector<TCastEntry> ParseCast(std::string_view cast, const IGameTables& tables)
{
    std::vector<TCastEntry> entries;
    for (std::string_view entry : Split(cast, ';')) {
        TCastEntry parsed;
        size_t open = entry.find('(');
        parsed.ManName = Trim(entry.substr(0, open));
        if (open != std::string_view::npos && entry.size() > open + 1) {
            // The closing bracket is the entry's last character, dropped unread.
            std::string_view inner = entry.substr(open + 1, entry.size() - open - 2);
            for (std::string_view group : Split(inner, ',')) {
                std::vector<int32_t> numbers;
                for (std::string_view number : Split(group, ':'))
                    numbers.push_back(LeadingInt(number));
                parsed.Groups.push_back(std::move(numbers));
            }
        }
        parsed.ManType = tables.ManTypeIndex(parsed.ManName);
        if (parsed.ManType >= 0)
            entries.push_back(std::move(parsed));
    }
    return entries;
}

std::string GetLevelLabel(const IWidgetAccess& widgets, int32_t levelIndex, bool longForm)
{
    const int32_t day = levelIndex <= 3 ? levelIndex + 1 : levelIndex;
    if (day == 3 && longForm)
        return GetCaption(widgets, "WResource_LDay3Long");
    return GetCaption(widgets, "WResource_LDay" + IntToStr(std::min(7, day)));
}
