// Writing an episode's upgrade pictures and a day's numbers into the episode file.
#include "editor/EpisodWriter.h"

#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "foundation/XmlTextEdit.h"
#include "gameplay/LevelWriter.h"
#include "metagame/Episods.h"

namespace {

constexpr int32_t kMsPerSecond = 1000; // a day's time is written in seconds, kept in ms

std::string PointText(TPoint p)
{
    return std::to_string(p.X) + "," + std::to_string(p.Y);
}

TPoint ReadPoint(std::string_view text)
{
    size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return { LeadingInt(text), 0 };
    return { LeadingInt(text.substr(0, comma)), LeadingInt(text.substr(comma + 1)) };
}

// A kind that reads as the placement's own stays spelled as written (any word other
// than "Effect" reads as a picture).
void SetKind(TQelXMLTag& tag, TUpgradeItemKind kind)
{
    TQelParserAttribute* attribute = tag.GetAttributeByName("Type");
    const bool isEffect = attribute && attribute->Value == "Effect";
    if (attribute && isEffect == (kind == TUpgradeItemKind::Effect))
        return;
    SetAttributeText(tag, "Type", kind == TUpgradeItemKind::Effect ? "Effect" : "Picture");
}

TQelXMLTag& Child(TQelXMLTag& parent, std::string_view name)
{
    if (TQelXMLTag* tag = parent.GetChildByName(name))
        return *tag;
    return *parent.AddChild(std::string(name));
}

void WriteUpgrades(TQelXMLTag& element, const TEpisod& episod)
{
    TQelXMLTag& list = Child(element, "UpgradeList");
    // The identifiers stay as written: the editor moves pictures, it does not change
    // what the catalogue sells (and an identifier the shop lacks would otherwise be lost).
    std::string name = list.Children.empty() ? "UpgradeItem" : list.Children.front()->Name;
    while (list.Children.size() > episod.UpgradeItems.size())
        list.DeleteChild(static_cast<long>(list.Children.size()) - 1);
    while (list.Children.size() < episod.UpgradeItems.size())
        list.AddChild(name);
    for (size_t i = 0; i < episod.UpgradeItems.size(); ++i) {
        TQelXMLTag& item = *list.Children[i];
        const TUpgradeItem& placement = episod.UpgradeItems[i];
        SetKind(item, placement.Kind);
        SetAttributeText(item, "FileName", placement.FileName);
        TQelParserAttribute* pos = item.GetAttributeByName("Pos");
        if (!pos || ReadPoint(pos->Value) != placement.Pos)
            SetAttributeText(item, "Pos", PointText(placement.Pos));
    }
}

void WriteDay(TQelXMLTag& levelTag, const TLevelInEpisod& day)
{
    SetAttributeInt(levelTag, "BornPeriod", day.BornPeriod);
    SetAttributeInt(levelTag, "SpeedLenta", day.SpeedLenta);
    SetAttributeInt(levelTag, "AddPersonTimeInLevel", day.AddPersonTimeInLevel);
    TQelXMLTag& param = Child(levelTag, "Param");
    TQelParserAttribute* time = param.GetAttributeByName("LevelTime");
    if (!time || LeadingInt(time->Value) * kMsPerSecond != day.LevelTime)
        SetAttributeText(param, "LevelTime", std::to_string(day.LevelTime / kMsPerSecond));
    SetAttributeInt(param, "CompleteNeed", day.CompleteNeed);
    SetAttributeInt(param, "PersCount", day.PersCount);
    SetAttributeInt(param, "Prize", day.Prize);
    SetAttributeInt(param, "Goal", day.Goal);
    SetAttributeInt(param, "ExGoal", day.ExGoal);
    SetAttributeInt(param, "GreatGoal", day.GreatGoal);
}

} // namespace

bool WriteEpisodToDocument(TQelXMLTag& document, int32_t episodIndex, const TEpisod& episod, int32_t levelIndex)
{
    TQelXMLTag* list = document.FindChildByName("Episods");
    if (!list || episodIndex < 0 || static_cast<size_t>(episodIndex) >= list->Children.size())
        return false;
    TQelXMLTag& element = *list->Children[static_cast<size_t>(episodIndex)];
    WriteUpgrades(element, episod);
    if (levelIndex >= 0 && static_cast<size_t>(levelIndex) < episod.Levels.size()) {
        TQelXMLTag* levels = element.GetChildByName("Levels");
        if (levels && static_cast<size_t>(levelIndex) < levels->Children.size())
            WriteDay(
                *levels->Children[static_cast<size_t>(levelIndex)], episod.Levels[static_cast<size_t>(levelIndex)]);
    }
    return true;
}

std::optional<std::string> WriteEpisodText(
    std::string_view original, int32_t episodIndex, const TEpisod& episod, int32_t levelIndex)
{
    TXmlTextEdit edit(original);
    if (!WriteEpisodToDocument(edit.Document(), episodIndex, episod, levelIndex))
        return std::nullopt;
    return edit.Text();
}
