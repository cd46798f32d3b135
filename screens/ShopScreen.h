// The catalogue between two days: the wear page (the next stages of the outfits the
// customers will ask for) and the interior page (the episode's upgrades, some locked
// until an achievement), the purchase question, and the way on to the next day with the
// new furniture appearing in its scene.
#pragma once

#include "metagame/PlayersFile.h"
#include "metagame/ShopRules.h"
#include "metagame/WidgetAccess.h"
#include "screens/Screen.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"

#include <cstdint>
#include <string>

class IJourney;
class TDialogScreen;
class TPlayersFile;

class TShopScreen final : public IScreen {
public:
    TShopScreen(TScreenContext& context, TPlayersFile& players, IJourney& journey);

    void SetDialogs(TDialogScreen* dialogs) { dialogs_ = dialogs; }

    // Opens the catalogue before the player's current day, or goes straight on to the day
    // when nothing is left to offer. withDialog lets the catalogue's introduction play.
    void CreateAndShowShop(bool withDialog);

    const TShopVisit& Visit() const { return visit_; }
    // Whether the next day is about to start (the catalogue was left or skipped).
    bool DayPending() const { return nextDayAt_ != 0; }

    void Tick(int64_t now) override;

    void WearClick(int32_t slot);
    void InteriorClick(int32_t slot);
    void FurnitureClick(int32_t furniture);
    void WBuyQuestion_BBuy_MouseUp();
    void WBuyQuestion_BCancel_MouseUp();
    void WShop_BPlay_MouseUp();
    void WShop_TFWear_BInteriorPage_MouseUp();
    void WShop_TFInterior_BWearPage_MouseUp();
    void WShop_MouseMove_OnLabel();
    void WShop_MouseGetOut_FromLabel();

    // The numbered handlers of the slots, one member per widget number.
    template <int32_t N>
    void WearPicture() { WearClick(N); }
    template <int32_t N>
    void InteriorPicture() { InteriorClick(N); }
    template <int32_t N>
    void Furniture() { FurnitureClick(N); }

private:

    // The slot painters; slot is the widget number, 1 to 6.
    void HideWearSlot(int32_t slot);
    void ShowWearSlot(int32_t slot);
    void ShowWearBought(int32_t slot);
    void ShowWearLocked(int32_t slot);
    void RefreshWearValue(int32_t slot);
    void HideUpgradeSlot(int32_t slot);
    void ShowUpgradeForSale(int32_t slot, int32_t upgrade);
    void ShowUpgradeBought(int32_t slot, int32_t upgrade);
    void ShowUpgradeLocked(int32_t slot, int32_t upgrade, TLockReason reason);
    void ShowUpgradePicture(int32_t slot, int32_t upgrade, bool enabled);
    // The outfit a wear slot offers, composed piece by piece into surface; false when
    // the slot's piece type has no outfit of 2, 3 or 4 pieces.
    bool BuildOutfitPicture(const std::string& surface, int32_t slot);
    std::string WearSlotPicture(int32_t slot) const;

    // A slot's picture, fitted into the slot and shown alike whether the slot takes
    // clicks or not (a label that takes none draws its pressed picture).
    void SetSlotPicture(const std::string& label, const std::string& picture, int32_t alpha = 255);
    void DrawDayScene();
    void ShowMoney();
    void StartNextDay(int64_t after);
    void SavePlayer(TSaveMode mode);
    void SetVisible(const std::string& name, bool visible);
    bool HasPicture(const std::string& name) const;

    TScreenContext& c_;
    TPlayersFile& players_;
    IJourney& journey_;
    TEngineWidgetAccess widgets_;
    TDialogScreen* dialogs_ = nullptr;
    TShopVisit visit_;
    int64_t nextDayAt_ = 0;     // 0: the catalogue is open (or closed to another screen)
    int64_t dialogAt_ = 0;      // the introduction starts then; 0 none
    int64_t hintAt_ = 0;        // "WShop_LHint" shows then; 0 none
    TScreenMethods methods_;
};
