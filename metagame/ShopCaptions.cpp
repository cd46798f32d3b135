// Catalogue texts.
#include "metagame/ShopCaptions.h"

#include "foundation/Text.h"
#include "metagame/Shop.h"
#include "metagame/WidgetAccess.h"

std::string MoneyText(const IWidgetAccess& widgets, int64_t amount)
{
    return GetCaption(widgets, "WResource_LCurrency") + IntToStr(amount);
}

std::string WearValueText(const IWidgetAccess& widgets, int32_t value, int32_t shopBonus)
{
    std::string text = MoneyText(widgets, value);
    if (shopBonus > 0)
        text += " + " + IntToStr(shopBonus);
    return text;
}

std::string UpgradeEffectText(const IWidgetAccess& widgets, const TShopUpgrade& upgrade)
{
    if (upgrade.IsValueBonus())
        return "+" + MoneyText(widgets, upgrade.BT) + " " + GetCaption(widgets, "WResource2_ToValue");
    struct TRow {
        int32_t BT;
        const char* Caption;
    };
    static constexpr TRow kEnables[] = {{kBtReverse, "WResource2_EnablesReverse"},
                                        {kBtPlus, "WResource2_EnablesPlus"},
                                        {kBtPause, "WResource2_EnablesPause"},
                                        {kBtTransformer, "WResource2_EnablesTransformer"}};
    for (const TRow& row : kEnables)
        if (row.BT == upgrade.BT)
            return GetCaption(widgets, row.Caption);
    return {};
}

void ShowLockReason(IWidgetAccess& widgets, int32_t slot, const TShopUpgrade& upgrade, TLockReason reason)
{
    std::string text;
    switch (reason) {
    case TLockReason::GameNotComplete:
        text = GetCaption(widgets, "WResource_LUnlockAfterGameComplete");
        break;
    case TLockReason::MoneyBags:
        SetCaption(widgets, "WResource_LUnlockMoneyBagCount", IntToStr(upgrade.BagsCount));
        text = GetCaption(widgets, "WResource_LUnlockMoneyBag");
        break;
    case TLockReason::ExpertGoal:
        SetCaption(widgets, "WResource_LUnlockExpertGoalPerCent", IntToStr(upgrade.ExtraExpertGoal));
        text = GetCaption(widgets, "WResource_LUnlockExpertGoal");
        break;
    case TLockReason::NoMinus10:
        text = GetCaption(widgets, "WResource_LUnlock-10");
        break;
    case TLockReason::Combo:
        SetCaption(widgets, "WResource_LUnlockComboCount", IntToStr(upgrade.ComboCount));
        SetCaption(widgets, "WResource_LUnlockComboItemsCount", IntToStr(upgrade.ComboKind));
        text = GetCaption(widgets, "WResource_LUnlockCombo");
        break;
    }
    SetCaption(widgets, "WShop_TFInterior_LItem" + IntToStr(slot), text);
}

std::string WearDescription(const IWidgetAccess& widgets, std::string_view typeName, int32_t pieceCount)
{
    static constexpr const char* kSuffix[] = {"_12", "_3", "_4"};
    if (pieceCount < 2 || pieceCount > 4)
        return {};
    return GetCaption(widgets, "WResource2_" + std::string(typeName) + kSuffix[pieceCount - 2]);
}
