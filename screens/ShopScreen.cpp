#include "screens/ShopScreen.h"

#include "audio/SoundEngine.h"
#include "effects/QelScreenEffects.h"
#include "foundation/Clock.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "gameplay/GameParams.h"
#include "gameplay/GameTables.h"
#include "gameplay/LevelFile.h"
#include "graphics/SurfEngine.h"
#include "interface/QelInterfaceEngine.h"
#include "interface/QelInterfaceObject.h"
#include "metagame/EpisodProgress.h"
#include "metagame/Episods.h"
#include "metagame/Player.h"
#include "metagame/PlayersFile.h"
#include "metagame/Shop.h"
#include "metagame/ShopCaptions.h"
#include "screens/DialogScreen.h"
#include "screens/Journey.h"
#include "screens/ScreenLayout.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <utility>

namespace {

constexpr const char* kShopWindow = "WShop";
constexpr const char* kQuestion = "WBuyQuestion";
constexpr const char* kWear = "WShop_TFWear_";
constexpr const char* kInterior = "WShop_TFInterior_";
constexpr const char* kCatalogue = "Catalogue.png";
constexpr const char* kCatalogueScript = "Script_Dialog_Catalog.xml";
constexpr const char* kUpgradeScript = "Script_Dialog_Upgrade.xml";
constexpr const char* kQuestionPicture = "WBuyQuestionPicture";
constexpr int32_t kMusicFadeMs = 1000;
constexpr int64_t kFullRedrawMs = 1000;
constexpr int64_t kSkipDelay = 500;        // the next day after a catalogue with nothing to offer
constexpr int64_t kLeaveDelay = 200;       // the next day after the play button
constexpr int64_t kNewFurnitureDelay = 2200;  // more when the new furniture appears first
constexpr int64_t kEffectStep = 100;       // between two appearing upgrades or opening boxes
constexpr int64_t kDialogDelay = 500;
constexpr int64_t kHintDelay = 2000;
constexpr int64_t kSecondStageDelay = 1900;  // a bought first stage reveals the second then
constexpr int64_t kBoxOpening = 1500;
constexpr int32_t kLockedAlpha = 250;
constexpr int32_t kCursorShiftX = 11;  // the unlock effect's centre on a wear slot
constexpr int32_t kOutfitGap = 8;      // between the parts of an outfit on the question
constexpr int32_t kFourPieceGap = 2;

constexpr std::array kCompanions{"LPic", "LTick", "LCursor", "LPrice", "LPriceCount", "LPieces",
                                 "LPiecesCount", "LValue", "LValueCount", "LItem"};
constexpr std::array kBoxPictures{"BoxTopSide.png", "BoxLeftSide.png", "BoxRightSide.png", "LockedBox.png"};

constexpr std::array<TScreenMethod<TShopScreen>, 34> kMethods{{
    {"WShop_TFWear_LPic1_MouseUp", &TShopScreen::WearPicture<1>},
    {"WShop_TFWear_LPic2_MouseUp", &TShopScreen::WearPicture<2>},
    {"WShop_TFWear_LPic3_MouseUp", &TShopScreen::WearPicture<3>},
    {"WShop_TFWear_LPic4_MouseUp", &TShopScreen::WearPicture<4>},
    {"WShop_TFWear_LPic5_MouseUp", &TShopScreen::WearPicture<5>},
    {"WShop_TFWear_LPic6_MouseUp", &TShopScreen::WearPicture<6>},
    {"WShop_TFWear_LCursor1_MouseUp", &TShopScreen::WearPicture<1>},
    {"WShop_TFWear_LCursor2_MouseUp", &TShopScreen::WearPicture<2>},
    {"WShop_TFWear_LCursor3_MouseUp", &TShopScreen::WearPicture<3>},
    {"WShop_TFWear_LCursor4_MouseUp", &TShopScreen::WearPicture<4>},
    {"WShop_TFWear_LCursor5_MouseUp", &TShopScreen::WearPicture<5>},
    {"WShop_TFWear_LCursor6_MouseUp", &TShopScreen::WearPicture<6>},
    {"WShop_TFInterior_LPic1_MouseUp", &TShopScreen::InteriorPicture<1>},
    {"WShop_TFInterior_LPic2_MouseUp", &TShopScreen::InteriorPicture<2>},
    {"WShop_TFInterior_LPic3_MouseUp", &TShopScreen::InteriorPicture<3>},
    {"WShop_TFInterior_LPic4_MouseUp", &TShopScreen::InteriorPicture<4>},
    {"WShop_TFInterior_LPic5_MouseUp", &TShopScreen::InteriorPicture<5>},
    {"WShop_TFInterior_LPic6_MouseUp", &TShopScreen::InteriorPicture<6>},
    {"WShop_TFInterior_LCursor1_MouseUp", &TShopScreen::InteriorPicture<1>},
    {"WShop_TFInterior_LCursor2_MouseUp", &TShopScreen::InteriorPicture<2>},
    {"WShop_TFInterior_LCursor3_MouseUp", &TShopScreen::InteriorPicture<3>},
    {"WShop_TFInterior_LCursor4_MouseUp", &TShopScreen::InteriorPicture<4>},
    {"WShop_TFInterior_LCursor5_MouseUp", &TShopScreen::InteriorPicture<5>},
    {"WShop_TFInterior_LCursor6_MouseUp", &TShopScreen::InteriorPicture<6>},
    {"WShop_LFurniture1_MouseUp", &TShopScreen::Furniture<1>},
    {"WShop_LFurniture2_MouseUp", &TShopScreen::Furniture<2>},
    {"WShop_LFurniture3_MouseUp", &TShopScreen::Furniture<3>},
    {"WBuyQuestion_BBuy_MouseUp", &TShopScreen::WBuyQuestion_BBuy_MouseUp},
    {"WBuyQuestion_BCancel_MouseUp", &TShopScreen::WBuyQuestion_BCancel_MouseUp},
    {"WShop_BPlay_MouseUp", &TShopScreen::WShop_BPlay_MouseUp},
    {"WShop_TFWear_BInteriorPage_MouseUp", &TShopScreen::WShop_TFWear_BInteriorPage_MouseUp},
    {"WShop_TFInterior_BWearPage_MouseUp", &TShopScreen::WShop_TFInterior_BWearPage_MouseUp},
    {"WShop_MouseMove_OnLabel", &TShopScreen::WShop_MouseMove_OnLabel},
    {"WShop_MouseGetOut_FromLabel", &TShopScreen::WShop_MouseGetOut_FromLabel},
}};

std::string Slot(const char* page, const char* companion, int32_t slot)
{
    return std::string(page) + companion + IntToStr(slot);
}

// Where a widget is on the screen; empty when there is none of that name.
TRect WidgetRect(const TQelInterfaceEngine& engine, const std::string& name)
{
    const auto* widget = dynamic_cast<const TQelInterfaceObject*>(engine.GetObjectByName(name));
    return widget ? widget->ScreenRect() : TRect{};
}

// The picture itself when it fits the box, else a copy scaled down to fit, keeping its
// proportions; the copy is made once and kept under its own name.
std::string FittedPicture(TSurfEngine& surfaces, const std::string& picture, int32_t boxWidth, int32_t boxHeight)
{
    int32_t width = 0, height = 0;
    if (boxWidth <= 0 || boxHeight <= 0 || !surfaces.GetSurfaceSize(picture, width, height) ||
        (width <= boxWidth && height <= boxHeight))
        return picture;
    const double scale = std::min(static_cast<double>(boxWidth) / width, static_cast<double>(boxHeight) / height);
    const int32_t fitWidth = std::max(1, static_cast<int32_t>(width * scale));
    const int32_t fitHeight = std::max(1, static_cast<int32_t>(height * scale));
    const std::string fitted = picture + "@" + IntToStr(fitWidth) + "x" + IntToStr(fitHeight);
    if (surfaces.IndexOfSurface(fitted) < 0) {
        surfaces.NewSurface(fitted, width, height);
        surfaces.CopySurfaceWithAlpha(picture, fitted, std::nullopt, 0, 0);
        surfaces.ResizeSurface(fitted, fitWidth, fitHeight, false);
    }
    return fitted;
}

std::string OutfitSuffix(int32_t pieceCount)
{
    switch (pieceCount) {
    case 2:
        return "_12";
    case 3:
        return "_123";
    case 4:
        return "_1234";
    default:
        return {};
    }
}

}  // namespace

TShopScreen::TShopScreen(TScreenContext& context, TPlayersFile& players, IJourney& journey)
    : c_(context),
      players_(players),
      journey_(journey),
      widgets_(context.Interface),
      methods_(context.Methods, *this, std::span<const TScreenMethod<TShopScreen>>(kMethods))
{
}

void TShopScreen::SetVisible(const std::string& name, bool visible)
{
    widgets_.SetObjectProperty(name, "Visible", visible ? "True" : "False");
}

bool TShopScreen::HasPicture(const std::string& name) const
{
    return !name.empty() && c_.Surfaces.IndexOfSurface(name) >= 0;
}

void TShopScreen::SavePlayer(TSaveMode mode)
{
    if (players_.SavePlayerState(c_.Player, mode) == TProfileResult::Done)
        c_.Trace.Event("save", TPlayersFile::kFileName);
}

void TShopScreen::SetSlotPicture(const std::string& label, const std::string& picture, int32_t alpha)
{
    std::string shown = picture;
    if (!picture.empty() && c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, picture)) {
        const TRect slot = WidgetRect(c_.Interface, label);
        shown = FittedPicture(c_.Surfaces, picture, slot.Right - slot.Left, slot.Bottom - slot.Top);
    }
    widgets_.SetObjectProperty(label, "Picture", shown);
    widgets_.SetObjectProperty(label, "MouseDownPicture", shown);
    widgets_.SetObjectProperty(label, "PictureAlpha", IntToStr(alpha));
}

void TShopScreen::ShowMoney() { SetCaption(widgets_, "WShop_LTotalMoneyCount", MoneyText(widgets_, c_.Player.CurrentScore)); }

// ---- Opening ---------------------------------------------------------------------------

void TShopScreen::CreateAndShowShop(bool withDialog)
{
    LogAndCarryOn(c_.Log, "Error CreateAndShowShop", [&] {
        TPlayer& player = c_.Player;
        const int64_t now = c_.Clock.NowMs();
        SetVisible("WShop_TFDialog", false);
        SetVisible("WShop_LDialog1_1", false);
        c_.Effects.DeleteAllEffects(c_.Effects.Main);
        c_.Sounds.StopMusic(false);
        nextDayAt_ = dialogAt_ = hintAt_ = 0;
        ShowMoney();

        const TScreenMusic& music = c_.Params.MusicInCatalog;
        if (!music.Music.empty())
            c_.Sounds.ChangeMusic(music.Music, kMusicFadeMs, 0,
                                  c_.Sounds.MusicStartOrder(music.Music, music.StartPattern), kMusicFadeMs);
        DrawDayScene();

        // The wear page offers the stages of the player's current episode, whatever
        // changed since the profile was read.
        RefreshPlayerDerived(player, c_.Tables.Episods, c_.Tables.Shop);
        const TEpisod* episod = c_.Tables.Episods.Episod(player.CurrentEpisod);
        const TCataloguePlan plan = PlanCatalogue(player, episod, c_.Tables.Shop);
        visit_.Begin(player, plan);
        for (int32_t slot = 1; slot <= kWearSlots; ++slot) {
            HideWearSlot(slot);
            HideUpgradeSlot(slot);
        }
        for (const TInteriorSlot& shown : plan.Interior) {
            switch (shown.State) {
            case TSlotState::Bought:
                ShowUpgradeBought(shown.Slot, shown.Upgrade);
                break;
            case TSlotState::ForSale:
                ShowUpgradeForSale(shown.Slot, shown.Upgrade);
                break;
            case TSlotState::Locked:
                ShowUpgradeLocked(shown.Slot, shown.Upgrade, shown.Reason);
                break;
            case TSlotState::Hidden:
                break;
            }
        }
        for (int32_t slot = 1; slot <= kWearSlots; ++slot) {
            switch (plan.Wear[static_cast<size_t>(slot - 1)]) {
            case TSlotState::ForSale:
                ShowWearSlot(slot);
                break;
            case TSlotState::Bought:
                ShowWearBought(slot);
                break;
            case TSlotState::Locked:
                ShowWearLocked(slot);
                break;
            case TSlotState::Hidden:
                break;
            }
        }

        c_.Shell.FullRedrawUntil = now + kFullRedrawMs;
        c_.Interface.HideModalList();
        if (plan.SkipShop) {
            StartNextDay(kSkipDelay);
            c_.Switch.Request(TScreenMode::smShop);
            return;
        }
        if (c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, kCatalogue))
            c_.Surfaces.DrawWithAlphaChannel(kCatalogue, kBackground, 0, 0);
        c_.Switch.Request(TScreenMode::smShop);
        c_.Interface.ShowModal(kShopWindow);
        SetVisible("WShop_TFWear", true);
        SetVisible("WShop_TFInterior", false);
        SetVisible("WShop_LHint", false);
        c_.Commands.MarkWholeScreen();
        if (withDialog && player.CurrentEpisod == 0 && player.CurrentLevel == 1)
            dialogAt_ = now + kDialogDelay;
        const bool firstCatalogue = player.CurrentEpisod == 0 && player.CurrentLevel == 1;
        if (player.ChooseInterior == 0 && !firstCatalogue)
            hintAt_ = now + kHintDelay;
    });
}

// The coming day's scene with the furniture bought for it, under the catalogue.
void TShopScreen::DrawDayScene()
{
    const TPlayer& player = c_.Player;
    const TLevelInEpisod* day = c_.Tables.Episods.Level(player.CurrentEpisod, player.CurrentLevel);
    const std::string scene = day ? LevelScenePicture(c_.Data, day->Name) : std::string();
    if (scene.empty() || !c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, scene))
        return;
    c_.Surfaces.DrawSurface(scene, kBackground, 0, 0);
    if (player.CurrentEpisod < 0 || static_cast<size_t>(player.CurrentEpisod) >= player.UpdateObjects.size())
        return;
    for (int32_t number : player.UpdateObjects[static_cast<size_t>(player.CurrentEpisod)]) {
        const TShopUpgrade* upgrade = c_.Tables.Shop.Upgrade(number);
        if (upgrade && c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, upgrade->FileName))
            c_.Surfaces.DrawWithAlphaChannel(upgrade->FileName, kBackground, upgrade->Pos.X, upgrade->Pos.Y);
    }
}

// ---- The wear page -------------------------------------------------------------------------

std::string TShopScreen::WearSlotPicture(int32_t slot) const
{
    const int32_t type = c_.Player.ShopWearTypes[static_cast<size_t>(slot - 1)];
    const std::optional<TPieceTypeInfo> info = c_.Tables.FishkaType(type);
    if (!info)
        return {};
    const std::string suffix = OutfitSuffix(info->PieceCount);
    return suffix.empty() ? std::string() : "SmallInShop" + info->Name + suffix + ".png";
}

void TShopScreen::HideWearSlot(int32_t slot)
{
    for (const char* companion : kCompanions)
        SetVisible(Slot(kWear, companion, slot), false);
}

void TShopScreen::ShowWearSlot(int32_t slot)
{
    const std::string picture = WearSlotPicture(slot);
    const std::string label = Slot(kWear, "LPic", slot);
    SetSlotPicture(label, picture);
    SetEnabled(widgets_, label, true);
    SetVisible(label, true);
    SetVisible(Slot(kWear, "LCursor", slot), true);
    SetVisible(Slot(kWear, "LTick", slot), false);
    SetVisible(Slot(kWear, "LItem", slot), false);
    const int32_t type = c_.Player.ShopWearTypes[static_cast<size_t>(slot - 1)];
    const int32_t pieces = c_.Tables.FishkaType(type) ? c_.Tables.FishkaType(type)->PieceCount : 0;
    SetCaption(widgets_, Slot(kWear, "LPriceCount", slot),
               MoneyText(widgets_, WearSlotPrice(c_.Player, c_.Tables.Shop, c_.Tables, slot - 1)));
    SetCaption(widgets_, Slot(kWear, "LPiecesCount", slot), IntToStr(pieces));
    for (const char* companion : {"LPrice", "LPriceCount", "LPieces", "LPiecesCount", "LValue", "LValueCount"})
        SetVisible(Slot(kWear, companion, slot), true);
    RefreshWearValue(slot);
}

void TShopScreen::ShowWearBought(int32_t slot)
{
    ShowWearSlot(slot);
    SetEnabled(widgets_, Slot(kWear, "LPic", slot), false);
    SetVisible(Slot(kWear, "LCursor", slot), false);
    const std::string tick = Slot(kWear, "LTick", slot);
    c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, "GreenTick.png");
    widgets_.SetObjectProperty(tick, "Picture", "GreenTick.png");
    SetVisible(tick, true);
}

void TShopScreen::ShowWearLocked(int32_t slot)
{
    HideWearSlot(slot);
    const std::string label = Slot(kWear, "LPic", slot);
    SetSlotPicture(label, "Locked.png", kLockedAlpha);
    SetEnabled(widgets_, label, false);
    SetVisible(label, true);
    const std::string item = Slot(kWear, "LItem", slot);
    SetCaption(widgets_, item, GetCaption(widgets_, "WResource_LUnlockItem"));
    SetVisible(item, true);
}

void TShopScreen::RefreshWearValue(int32_t slot)
{
    if (VariantToString(widgets_.GetObjectValue(Slot(kWear, "LPic", slot), "Picture")) == "CatalogueQuestion.png")
        return;
    const int32_t value = WearSlotValue(c_.Player, c_.Tables.Shop, c_.Tables, slot - 1);
    SetCaption(widgets_, Slot(kWear, "LValueCount", slot), WearValueText(widgets_, value, c_.Player.ShopBonus));
}

bool TShopScreen::BuildOutfitPicture(const std::string& surface, int32_t slot)
{
    const int32_t type = c_.Player.ShopWearTypes[static_cast<size_t>(slot - 1)];
    const std::optional<TPieceTypeInfo> info = c_.Tables.FishkaType(type);
    if (!info || info->PieceCount < 2 || info->PieceCount > 4)
        return false;
    const std::string stem = "SmallInShop" + info->Name;
    std::vector<std::string> parts;
    for (int32_t part = 1; part <= info->PieceCount; ++part) {
        if (part > 1)
            parts.push_back("signPlus.png");
        parts.push_back(stem + "_" + IntToStr(part) + ".png");
    }
    parts.push_back("ravno.png");
    parts.push_back(stem + OutfitSuffix(info->PieceCount) + ".png");
    const int32_t gap = info->PieceCount == 4 ? kFourPieceGap : kOutfitGap;
    int32_t width = 0, height = 0;
    for (const std::string& part : parts) {
        int32_t w = 0, h = 0;
        if (!c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, part) || !c_.Surfaces.GetSurfaceSize(part, w, h))
            return false;
        width += w + gap;
        height = std::max(height, h);
    }
    width -= gap;
    c_.Surfaces.DeleteSurface(surface);
    c_.Surfaces.NewSurface(surface, width, height);
    c_.Surfaces.CreateAlphaChannel(surface, 0);
    int32_t x = 0;
    for (const std::string& part : parts) {
        int32_t w = 0, h = 0;
        c_.Surfaces.GetSurfaceSize(part, w, h);
        c_.Surfaces.CopySurfaceWithAlpha(part, surface, std::nullopt, x, (height - h) / 2);
        x += w + gap;
    }
    return true;
}

void TShopScreen::WearClick(int32_t slot)
{
    const std::string label = Slot(kWear, "LPic", slot);
    if (VariantToString(widgets_.GetObjectValue(label, "Picture")).empty() ||
        VariantToString(widgets_.GetObjectValue(label, "Enabled")) == "False")
        return;
    c_.Effects.DeleteAllEffects(c_.Effects.Main);
    const int32_t type = c_.Player.ShopWearTypes[static_cast<size_t>(slot - 1)];
    const std::optional<TPieceTypeInfo> info = c_.Tables.FishkaType(type);
    SetCaption(widgets_, "WBuyQuestion_LDescription",
               info ? WearDescription(widgets_, info->Name, info->PieceCount) : std::string());
    SetCaption(widgets_, "WBuyQuestion_LOutfits",
               GetCaption(widgets_, Slot(kWear, "LValue", slot)) + "   " +
                   GetCaption(widgets_, Slot(kWear, "LValueCount", slot)));
    // One item is in question at a time: a choice left on the other page must not be
    // bought with this one.
    visit_.SelectedUpgradeSlot = -1;
    visit_.SelectedWearSlot = slot - 1;
    const int32_t price = WearSlotPrice(c_.Player, c_.Tables.Shop, c_.Tables, slot - 1);
    SetEnabled(widgets_, "WBuyQuestion_BBuy", c_.Player.CurrentScore >= price);
    const std::string picture = BuildOutfitPicture(kQuestionPicture, slot)
                                    ? std::string(kQuestionPicture)
                                    : VariantToString(widgets_.GetObjectValue(label, "Picture"));
    SetSlotPicture("WBuyQuestion_LPic", picture);
    SetCaption(widgets_, "WBuyQuestion_LPriceCount", GetCaption(widgets_, Slot(kWear, "LPriceCount", slot)));
    SetVisible("WBuyQuestion_LQuestion", false);
    c_.Interface.ShowModal(kQuestion);
}

// ---- The interior page ---------------------------------------------------------------------

void TShopScreen::HideUpgradeSlot(int32_t slot)
{
    for (const char* companion : kCompanions)
        SetVisible(Slot(kInterior, companion, slot), false);
    SetVisible(Slot(kInterior, "LOutfits", slot), false);
}

void TShopScreen::ShowUpgradePicture(int32_t slot, int32_t number, bool enabled)
{
    const TShopUpgrade* upgrade = c_.Tables.Shop.Upgrade(number);
    if (!upgrade)
        return;
    const std::string label = Slot(kInterior, "LPic", slot);
    SetSlotPicture(label, upgrade->FileName);
    SetEnabled(widgets_, label, enabled);
    SetVisible(label, true);
    SetVisible(Slot(kInterior, "LCursor", slot), enabled);
    c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, "CatalogueUnderPrice.png");
    widgets_.SetObjectProperty(Slot(kInterior, "LPrice", slot), "Picture", "CatalogueUnderPrice.png");
    SetCaption(widgets_, Slot(kInterior, "LPriceCount", slot), MoneyText(widgets_, upgrade->Cost));
    SetCaption(widgets_, Slot(kInterior, "LOutfits", slot), UpgradeEffectText(widgets_, *upgrade));
    for (const char* companion : {"LPrice", "LPriceCount", "LOutfits"})
        SetVisible(Slot(kInterior, companion, slot), true);
    SetVisible(Slot(kInterior, "LItem", slot), false);
}

void TShopScreen::ShowUpgradeForSale(int32_t slot, int32_t upgrade)
{
    ShowUpgradePicture(slot, upgrade, true);
    SetVisible(Slot(kInterior, "LTick", slot), false);
}

void TShopScreen::ShowUpgradeBought(int32_t slot, int32_t upgrade)
{
    ShowUpgradePicture(slot, upgrade, false);
    const std::string tick = Slot(kInterior, "LTick", slot);
    c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, "GreenTick.png");
    widgets_.SetObjectProperty(tick, "Picture", "GreenTick.png");
    SetVisible(tick, true);
}

void TShopScreen::ShowUpgradeLocked(int32_t slot, int32_t number, TLockReason reason)
{
    HideUpgradeSlot(slot);
    const TShopUpgrade* upgrade = c_.Tables.Shop.Upgrade(number);
    if (!upgrade)
        return;
    const std::string label = Slot(kInterior, "LPic", slot);
    SetSlotPicture(label, "LockedBox.png", kLockedAlpha);
    SetEnabled(widgets_, label, false);
    SetVisible(label, true);
    ShowLockReason(widgets_, slot, *upgrade, reason);
    SetVisible(Slot(kInterior, "LItem", slot), true);
}

void TShopScreen::InteriorClick(int32_t slot)
{
    const std::string label = Slot(kInterior, "LPic", slot);
    if (slot < 1 || slot > static_cast<int32_t>(visit_.ShownUpgrades.size()) ||
        VariantToString(widgets_.GetObjectValue(label, "Enabled")) == "False")
        return;
    const TShopUpgrade* upgrade = c_.Tables.Shop.Upgrade(visit_.ShownUpgrades[static_cast<size_t>(slot - 1)]);
    if (!upgrade)
        return;
    c_.Effects.DeleteAllEffects(c_.Effects.Main);
    SetCaption(widgets_, "WBuyQuestion_LDescription", GetCaption(widgets_, "WResource2_" + upgrade->ID));
    SetEnabled(widgets_, "WBuyQuestion_BBuy", c_.Player.CurrentScore >= upgrade->Cost);
    SetCaption(widgets_, "WBuyQuestion_LOutfits", GetCaption(widgets_, Slot(kInterior, "LOutfits", slot)));
    WShop_MouseGetOut_FromLabel();
    visit_.SelectedWearSlot = -1;
    visit_.SelectedUpgradeSlot = slot - 1;
    SetSlotPicture("WBuyQuestion_LPic", upgrade->FileName);
    SetCaption(widgets_, "WBuyQuestion_LPriceCount", GetCaption(widgets_, Slot(kInterior, "LPriceCount", slot)));
    SetVisible("WBuyQuestion_LQuestion", false);
    c_.Interface.ShowModal(kQuestion);
}

void TShopScreen::FurnitureClick(int32_t furniture)
{
    const std::string picture = VariantToString(widgets_.GetObjectValue("WShop_LPicFurniture" + IntToStr(furniture), "Picture"));
    if (picture.empty())
        return;
    SetSlotPicture("WBuyQuestion_LPic", picture);
    SetCaption(widgets_, "WBuyQuestion_LQuestion", GetCaption(widgets_, "WShop_LFurniture" + IntToStr(furniture)));
    visit_.SelectedWearSlot = -1;
    visit_.SelectedUpgradeSlot = furniture - 1;
    // Whether the money reaches the item is decided again by the buy itself.
    SetEnabled(widgets_, "WBuyQuestion_BBuy", false);
    c_.Interface.ShowModal(kQuestion);
}

// ---- Buying ------------------------------------------------------------------------------

void TShopScreen::WBuyQuestion_BBuy_MouseUp()
{
    TPlayer& player = c_.Player;
    const int64_t now = c_.Clock.NowMs();
    const int32_t upgradeSlot = visit_.SelectedUpgradeSlot;
    const int32_t wearSlot = visit_.SelectedWearSlot;
    c_.Interface.HideModal(kQuestion);
    if (upgradeSlot >= 0) {
        if (BuyUpgrade(player, visit_, c_.Tables.Shop)) {
            c_.Sounds.AddSoundEffect("BuyItem");
            const int32_t number = visit_.BoughtThisVisit.back();
            ShowUpgradeBought(upgradeSlot + 1, number);
            if (const TShopUpgrade* upgrade = c_.Tables.Shop.Upgrade(number); upgrade && upgrade->IsValueBonus())
                for (int32_t slot = 1; slot <= kWearSlots; ++slot)
                    RefreshWearValue(slot);
            SavePlayer(TSaveMode::Full);
        }
    } else if (wearSlot >= 0) {
        if (BuyWear(player, visit_, c_.Tables.Shop, c_.Tables)) {
            c_.Sounds.AddSoundEffect("BuyItem");
            ShowWearBought(wearSlot + 1);
            SavePlayer(TSaveMode::Outfits);
            if (wearSlot < kWearColumns) {
                // The column's second stage comes out of a box a moment later.
                const int32_t next = wearSlot + kWearColumns + 1;
                ShowWearSlot(next);
                const std::string label = Slot(kWear, "LPic", next);
                const TRect area = WidgetRect(c_.Interface, label);
                c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, "Case.png");
                TQelEffectParams params;
                params.File = "efUnlockItem.xml";
                params.X = area.Left + kCursorShiftX + (area.Right - area.Left) / 2;
                params.Y = area.Top + (area.Bottom - area.Top) / 2;
                params.Picture = WearSlotPicture(next);
                c_.Effects.CreateQelEffectFromFile(c_.Effects.Main, "efUnlockItem.xml", params);
                SetVisible(label, false);
                c_.Shell.DelayedLabels.push_back({label, now + kSecondStageDelay});
            }
        }
    }
    visit_.SelectedUpgradeSlot = -1;
    visit_.SelectedWearSlot = -1;
    ShowMoney();
}

void TShopScreen::WBuyQuestion_BCancel_MouseUp()
{
    visit_.SelectedUpgradeSlot = -1;
    visit_.SelectedWearSlot = -1;
    c_.Interface.HideModal(kQuestion);
}

// ---- Leaving -----------------------------------------------------------------------------

void TShopScreen::WShop_BPlay_MouseUp()
{
    LogAndCarryOn(c_.Log, "Error WShop_BPlay_MouseUp", [&] {
        const int64_t now = c_.Clock.NowMs();
        c_.Effects.DeleteAllEffects(c_.Effects.Main);
        DrawDayScene();
        int64_t at = now + kEffectStep;
        for (int32_t number : visit_.BoughtThisVisit) {
            const TShopUpgrade* upgrade = c_.Tables.Shop.Upgrade(number);
            int32_t width = 0, height = 0;
            if (!upgrade || !c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, upgrade->FileName) ||
                !c_.Surfaces.GetSurfaceSize(upgrade->FileName, width, height))
                continue;
            TQelEffectParams params;
            params.File = "efUpgrade.xml";
            params.X = upgrade->Pos.X + width / 2;
            params.Y = upgrade->Pos.Y + height / 2;
            params.StartTime = at;
            params.Picture = upgrade->FileName;
            c_.Effects.CreateQelEffectFromFile(c_.Effects.Main, "efUpgrade.xml", params);
            at += kEffectStep;
        }
        const bool bought = !visit_.BoughtThisVisit.empty();
        if (bought)
            c_.Effects.QueueSound("NewElement", now + kEffectStep);
        // The first furniture of the game is introduced on the day that shows it.
        size_t owned = 0;
        for (const std::vector<int32_t>& episod : c_.Player.UpdateObjects)
            owned += episod.size();
        if (bought && owned == visit_.BoughtThisVisit.size())
            journey_.IntroduceNextDay(kUpgradeScript);
        c_.Interface.HideModalList();
        c_.Commands.MarkWholeScreen();
        StartNextDay(kLeaveDelay + (bought ? kNewFurnitureDelay : 0));
        LeaveShop(c_.Player);
        SavePlayer(TSaveMode::Full);
    });
}

void TShopScreen::StartNextDay(int64_t after) { nextDayAt_ = c_.Clock.NowMs() + after; }

void TShopScreen::Tick(int64_t now)
{
    if (dialogAt_ != 0 && dialogAt_ <= now) {
        dialogAt_ = 0;
        if (dialogs_)
            dialogs_->StartStory(kCatalogueScript, kDialogInShop, TScreenMode::smShop, this);
    }
    if (hintAt_ != 0 && hintAt_ <= now) {
        hintAt_ = 0;
        if (c_.Player.ChooseInterior == 0)
            SetVisible("WShop_LHint", true);
    }
    if (nextDayAt_ != 0 && nextDayAt_ <= now) {
        nextDayAt_ = 0;
        journey_.StartDay(c_.Player.CurrentEpisod, c_.Player.CurrentLevel);
    }
}

// ---- Pages and hover ---------------------------------------------------------------------

void TShopScreen::WShop_TFWear_BInteriorPage_MouseUp()
{
    const int64_t now = c_.Clock.NowMs();
    c_.Effects.DeleteAllEffects(c_.Effects.Main);
    c_.Player.ChooseInterior = 1;
    SetVisible("WShop_LHint", false);
    hintAt_ = 0;
    SetVisible("WShop_TFWear", false);
    SetVisible("WShop_TFInterior", true);
    for (int32_t slot = 1; slot <= kUpgradeSlots; ++slot) {
        bool& unlocked = c_.Player.NewlyUnlocked[static_cast<size_t>(slot - 1)];
        if (!unlocked)
            continue;
        unlocked = false;
        for (const char* picture : kBoxPictures)
            c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, picture);
        const std::string label = Slot(kInterior, "LPic", slot);
        TQelEffectParams params;
        params.File = "efUnlockBox.xml";
        const TRect area = WidgetRect(c_.Interface, label);
        params.X = (area.Left + area.Right) / 2;
        params.Y = (area.Top + area.Bottom) / 2;
        params.StartTime = now + kEffectStep * slot;
        params.Picture = VariantToString(widgets_.GetObjectValue(label, "Picture"));
        c_.Effects.CreateQelEffectFromFile(c_.Effects.Main, "efUnlockBox.xml", params);
        SetVisible(label, false);
        c_.Shell.DelayedLabels.push_back({label, now + kEffectStep * slot + kBoxOpening});
        c_.Effects.QueueSound("BoxOpen", now + kEffectStep * slot);
    }
}

void TShopScreen::WShop_TFInterior_BWearPage_MouseUp()
{
    c_.Effects.DeleteAllEffects(c_.Effects.Main);
    SetVisible("WShop_TFInterior", false);
    SetVisible("WShop_TFWear", true);
}

namespace {

// The slot of a label under the pointer: its page's widget prefix and its number; nothing
// for a label that is not a numbered slot widget.
std::optional<std::pair<std::string, std::string>> HoveredSlot(const std::string& name)
{
    const size_t label = name.rfind("_L");
    if (name.empty() || label == std::string::npos || !std::isdigit(static_cast<unsigned char>(name.back())))
        return std::nullopt;
    return std::pair{name.substr(0, label + 1), std::string(1, name.back())};
}

}  // namespace

void TShopScreen::WShop_MouseMove_OnLabel()
{
    LogAndCarryOn(c_.Log, "Error WShop_MouseMove_OnLabel", [&] {
        const auto slot = HoveredSlot(c_.Interface.ScriptSenderName());
        if (!slot)
            return;
        const std::string label = slot->first + "LPic" + slot->second;
        if (VariantToString(widgets_.GetObjectValue(label, "Enabled")) == "False")
            return;
        const std::string picture = VariantToString(widgets_.GetObjectValue(label, "Picture"));
        if (!picture.empty() && picture.back() != 'L' && HasPicture(picture + "L"))
            widgets_.SetObjectProperty(label, "Picture", picture + "L");
    });
}

void TShopScreen::WShop_MouseGetOut_FromLabel()
{
    LogAndCarryOn(c_.Log, "Error WShop_MouseGetOut_FromLabel", [&] {
        const auto slot = HoveredSlot(c_.Interface.ScriptSenderName());
        if (!slot)
            return;
        const std::string label = slot->first + "LPic" + slot->second;
        const std::string picture = VariantToString(widgets_.GetObjectValue(label, "Picture"));
        if (picture.size() > 1 && picture.back() == 'L' && HasPicture(picture.substr(0, picture.size() - 1)))
            widgets_.SetObjectProperty(label, "Picture", picture.substr(0, picture.size() - 1));
    });
}
