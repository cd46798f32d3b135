// Reading the catalogue and looking up prices and values.
#include "metagame/Shop.h"

#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"

#include <stdexcept>

namespace {

int32_t IntAttr(const TQelXMLTag& tag, std::string_view name)
{
    return LeadingInt(tag.AttributeValue(name));
}

TPoint ReadPoint(std::string_view text)
{
    size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return {LeadingInt(text), 0};
    return {LeadingInt(text.substr(0, comma)), LeadingInt(text.substr(comma + 1))};
}

// A condition flag must say "true" or "false"; anything else stops the reading.
bool StrictFlag(const TQelXMLTag& tag, std::string_view name, size_t entry)
{
    const auto* attribute = tag.GetAttributeByName(name);
    if (!attribute)
        return false;
    auto value = StrictBool(attribute->Value);
    if (!value)
        throw std::runtime_error("upgrade " + IntToStr(static_cast<int64_t>(entry) + 1) + ": " + std::string(name) +
                                 " \"" + attribute->Value + "\" is not true or false");
    return *value;
}

std::string_view WithoutTrailingS(std::string_view name)
{
    while (!name.empty() && (name.back() == 's' || name.back() == 'S'))
        name.remove_suffix(1);
    return name;
}

int StageOf(int32_t pieceCount)
{
    return pieceCount >= 2 && pieceCount <= 4 ? pieceCount - 2 : -1;
}

}  // namespace

bool TShop::LoadShop(const TDataSource& data, std::string_view fileName, TGameLog& log)
{
    std::string error;
    auto bytes = data.Read(fileName, &error);
    if (!bytes) {
        Kostums.clear();
        Upgrades.clear();
        log.WriteLog("Error LoadShop: " + error);
        return false;
    }
    return LoadShopText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), log);
}

bool TShop::LoadShopText(std::string_view text, TGameLog& log)
{
    Kostums.clear();
    Upgrades.clear();
    TQelParser document;
    document.LoadFromText(text);
    const TQelXMLTag* items = document.FindChildByName("ShopItems");
    if (!items) {
        log.WriteLog("Error LoadShop: no ShopItems element");
        return false;
    }
    if (const TQelXMLTag* kostums = items->FindChildByName("Kostums"))
        for (const auto& entry : kostums->Children) {
            TShopKostum kind;
            kind.ID = entry->AttributeValue("ID");
            kind.FileName = entry->AttributeValue("FileName");
            for (int i = 0; i < 3; ++i) {
                kind.Cost[static_cast<size_t>(i)] = IntAttr(*entry, "Cost" + IntToStr(i + 1));
                kind.Value[static_cast<size_t>(i)] = IntAttr(*entry, "Value" + IntToStr(i + 1));
            }
            Kostums.push_back(std::move(kind));
        }
    if (const TQelXMLTag* upgrades = items->FindChildByName("Upgrads"))
        for (size_t i = 0; i < upgrades->Children.size(); ++i) {
            const TQelXMLTag& entry = *upgrades->Children[i];
            TShopUpgrade upgrade;
            try {
                upgrade.ID = entry.AttributeValue("ID");
                upgrade.FileName = entry.AttributeValue("FileName");
                upgrade.Cost = IntAttr(entry, "Cost");
                upgrade.Pos = ReadPoint(entry.AttributeValue("Pos"));
                upgrade.BT = IntAttr(entry, "BT");
                upgrade.FileName2 = entry.AttributeValue("FileName2");
                upgrade.Pos2 = ReadPoint(entry.AttributeValue("Pos2"));
                upgrade.ExtraExpertGoal = IntAttr(entry, "ExtraExpertGoal");
                upgrade.NoMinus10 = StrictFlag(entry, "NoMinus10", i);
                upgrade.BagsCount = IntAttr(entry, "BagsCount");
                TPoint combo = ReadPoint(entry.AttributeValue("Combo"));
                upgrade.ComboCount = combo.X;
                upgrade.ComboKind = combo.Y;
                upgrade.WinGame = StrictFlag(entry, "WinGame", i);
            } catch (const std::exception& ex) {
                log.WriteLog(std::string("Error LoadShop: ") + ex.what());
                return false;
            }
            Upgrades.push_back(std::move(upgrade));
        }
    return true;
}

const TShopKostum* TShop::FindKostum(std::string_view fishkaTypeName) const
{
    std::string_view kind = WithoutTrailingS(fishkaTypeName);
    for (const TShopKostum& entry : Kostums)
        if (EqualsNoCase(entry.ID, kind))
            return &entry;
    return nullptr;
}

int32_t TShop::GetValueByFishkaTypes(std::string_view fishkaTypeName, int32_t pieceCount) const
{
    const TShopKostum* kind = FindKostum(fishkaTypeName);
    int stage = StageOf(pieceCount);
    return kind && stage >= 0 ? kind->Value[static_cast<size_t>(stage)] : 0;
}

int32_t TShop::GetCostByFishkaTypes(std::string_view fishkaTypeName, int32_t pieceCount) const
{
    const TShopKostum* kind = FindKostum(fishkaTypeName);
    int stage = StageOf(pieceCount);
    return kind && stage >= 0 ? kind->Cost[static_cast<size_t>(stage)] : 0;
}

int32_t TShop::FindUpgrade(std::string_view id) const
{
    for (size_t i = 0; i < Upgrades.size(); ++i)
        if (Upgrades[i].ID == id)
            return static_cast<int32_t>(i);
    return -1;
}

const TShopUpgrade* TShop::Upgrade(int32_t number) const
{
    if (number < 0 || number >= static_cast<int32_t>(Upgrades.size()))
        return nullptr;
    return &Upgrades[static_cast<size_t>(number)];
}
