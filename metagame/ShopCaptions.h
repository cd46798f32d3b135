// The texts the catalogue writes into its labels: money, outfit values with the shop
// bonus, what an upgrade does, why it is locked, and the description of an outfit stage.
#pragma once

#include "metagame/ShopRules.h"

#include <cstdint>
#include <string>
#include <string_view>

class IWidgetAccess;
struct TShopUpgrade;

// The currency caption followed by the amount.
std::string MoneyText(const IWidgetAccess& widgets, int64_t amount);
// An outfit's value, with " + " and the shop bonus when there is one.
std::string WearValueText(const IWidgetAccess& widgets, int32_t value, int32_t shopBonus);
// What an upgrade does: "+" money and "WResource2_ToValue" for a value bonus, else the
// caption naming the bonus piece it enables; empty for an unknown effect.
std::string UpgradeEffectText(const IWidgetAccess& widgets, const TShopUpgrade& upgrade);
// Writes the reason of a locked upgrade into "WShop_TFInterior_LItem" + slot, after
// filling the number labels the reason's caption is made from.
void ShowLockReason(IWidgetAccess& widgets, int32_t slot, const TShopUpgrade& upgrade, TLockReason reason);
// The description of a piece type's outfit on the purchase question: "WResource2_" +
// name + "_12", "_3" or "_4" by its part count; empty when there is none.
std::string WearDescription(const IWidgetAccess& widgets, std::string_view typeName, int32_t pieceCount);
