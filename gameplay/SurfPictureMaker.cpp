// Level pictures made on the surface engine.
#include "gameplay/SurfPictureMaker.h"

#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "gameplay/FishkaType.h"
#include "gameplay/Level.h"
#include "graphics/SurfEngine.h"
#include "text/QelFontEngine.h"

#include <algorithm>
#include <array>
#include <exception>
#include <string>
#include <vector>

namespace {

// Every part combination a piece may carry: the first seven are made for every garment
// type whatever its part count (a missing file leaves that picture out), the rest only for
// four-part types.
constexpr std::array<const char*, 7> kFirstDigits = {"1", "2", "3", "12", "13", "23", "123"};
constexpr std::array<const char*, 8> kFourPartDigits = {"4", "14", "24", "34", "124", "134", "234", "1234"};

// The halo: a yellow glow around the picture's shape, the picture kept inside it.
constexpr int kGlowRadius = 25;
constexpr int kGlowMargin = 2 * kGlowRadius + 3;  // the frame needs 2e + 2; one spare
constexpr int kGlowPeak = 255;
constexpr int kGlowUpper = 250;
constexpr int kGlowPeakAt = 30;
constexpr int kGlowLower = 0;
constexpr uint32_t kGlowYellow = 0x00FFFF;  // 0xBBGGRR

// Pixel levels show the pieces smaller.
constexpr double kSmallPieceDivisor = 1.4;

// The demo scenes show these piece types, whatever the level file says.
constexpr std::array<int32_t, 2> kDemoTypes = {73, 74};
constexpr std::array<int32_t, 4> kDemoBonusTypes = {9, 10, 11, 12};
constexpr std::array<int32_t, 3> kDemoPixelTypes = {68, 69, 70};

constexpr const char* kPlusOne = "plus1.png";
constexpr const char* kPlusOneHalo = "plus1Oreol.png";
constexpr const char* kBonusMoney = "BonusMoney.png";
constexpr const char* kBonusMoneyBack = "UnderBonusMoney.png";
constexpr int kBonusMoneyFont = 4;             // the fifth font of the font engine
constexpr uint32_t kBonusMoneyColor = 0xFF0000;  // as the font engine reads colours

std::string OrderSuffix(int pieceCount)
{
    switch (pieceCount) {
    case 2: return "_12.png";
    case 3: return "_123.png";
    case 4: return "_1234.png";
    default: return {};
    }
}

std::vector<int32_t> TypesToMake(const tLevel& level)
{
    auto list = [](const auto& types) { return std::vector<int32_t>(types.begin(), types.end()); };
    std::vector<int32_t> types;
    if (level.Demo.Playback)
        types = level.IsPixelLevel() ? list(kDemoPixelTypes) : level.IsBonusLevel() ? list(kDemoBonusTypes)
                                                                                    : list(kDemoTypes);
    else
        types = level.LevelFishes;
    // In table order, each once; indices the table does not have are left out.
    std::sort(types.begin(), types.end());
    types.erase(std::unique(types.begin(), types.end()), types.end());
    std::erase_if(types, [&](int32_t t) { return level.Types().Type(t) == nullptr; });
    return types;
}

}  // namespace

TSurfPictureMaker::TSurfPictureMaker(TSurfEngine& surfaces, const TDataSource& data, TQelFontEngine* fonts)
    : surfaces_(surfaces), data_(data), fonts_(fonts)
{
}

bool TSurfPictureMaker::LoadAdjusted(const std::string& file, const std::string& name, const TFishkaType& type)
{
    surfaces_.DeleteSurface(name);
    if (!surfaces_.LoadSurfFromFileOrFileFolder(data_, file, name))
        return false;
    const TFishColor& color = type.Colors[0];
    // No offsets leave the colours as they were drawn; the round trip would only blur them.
    if (color.Hue != 0 || color.Saturation != 0 || color.Lightnes != 0)
        surfaces_.AdjustHls(name, color.Hue, color.Saturation, color.Lightnes);
    return true;
}

void TSurfPictureMaker::MakeHalo(const std::string& source, const std::string& halo)
{
    surfaces_.DeleteSurface(halo);
    int32_t w = 0, h = 0;
    if (!surfaces_.GetSurfaceSize(source, w, h) || w < 1 || h < 1)
        return;
    if (!surfaces_.NewSurface(halo, w + kGlowMargin, h + kGlowMargin))
        return;
    surfaces_.CreateAlphaChannel(halo, 0);
    surfaces_.MakeGlowFrame(source, halo, true, kGlowPeak, kGlowUpper, kGlowPeakAt, kGlowLower, kGlowRadius,
                            kGlowYellow);
}

void TSurfPictureMaker::MakePiece(const tLevel& level, int32_t t, const TFishkaType& type, const std::string& digits)
{
    const std::string index = std::to_string(t);
    const std::string piece = "FishkaTypes" + index + "_" + digits + ".png";
    const std::string halo = "FishkaTypes" + index + "Oreol_" + digits + ".png";
    surfaces_.DeleteSurface(halo);
    if (!LoadAdjusted(type.FileName + "_" + digits + ".png", piece, type))
        return;
    if (level.IsPixelLevel()) {
        const std::string small = "small" + piece;
        surfaces_.DeleteSurface(small);
        int32_t w = 0, h = 0;
        surfaces_.GetSurfaceSize(piece, w, h);
        if (surfaces_.NewSurface(small, w, h)) {
            surfaces_.CopySurfaceWithAlpha(piece, small, std::nullopt, 0, 0);
            surfaces_.ResizeSurface(small, RoundHalfEven(w / kSmallPieceDivisor), RoundHalfEven(h / kSmallPieceDivisor),
                                    true);
        }
    }
    MakeHalo(piece, halo);
}

void TSurfPictureMaker::MakeType(const tLevel& level, int32_t t, const TFishkaType& type)
{
    const std::string index = std::to_string(t);
    if (type.IsBonusStyle()) {
        LoadAdjusted(type.FileName + ".png", "FishkaTypes" + index + ".png", type);
        surfaces_.DeleteSurface("FishkaTypes" + index + "Oreol.png");
    }
    if (type.Style != TFishkaStyle::Standart)
        return;

    const std::string order = "PFishkaTypes" + index + "_all.png";
    surfaces_.DeleteSurface(order);
    for (const char* digits : kFirstDigits)
        MakePiece(level, t, type, digits);
    if (type.PieceCount == 4)
        for (const char* digits : kFourPartDigits)
            MakePiece(level, t, type, digits);

    const std::string suffix = OrderSuffix(type.PieceCount);
    if (!suffix.empty() && LoadAdjusted(type.FileName + suffix, order, type)) {
        // Order pictures fill the bubble's height; a picture that did not load (no height)
        // is left as it is rather than stretched from nothing.
        int32_t w = 0, h = 0;
        surfaces_.GetSurfaceSize(order, w, h);
        const int32_t orderWidth = level.Play.Customers.OrderWidth;
        const int32_t orderHeight = level.Play.Customers.OrderHeight;
        if (w > 0 && h > 0 && orderHeight > 0) {
            const int32_t width = RoundHalfEven(static_cast<double>(orderWidth) / h * w);
            if (width > 0)
                surfaces_.ResizeSurface(order, width, orderHeight, true);
        }
    }

    if (level.Scene.LevelState == TLevelState::lsHim) {
        LoadAdjusted(type.FileName + "_shlyapa.png", "PFishkaTypes" + index + "_shlyapa.png", type);
        LoadAdjusted(type.FileName + "_veshalka.png", "PFishkaTypes" + index + "_veshalka.png", type);
    }
}

void TSurfPictureMaker::MakeColorFishesSurfaces(tLevel& level)
{
    LogAndCarryOn(level.Links.Log, "Exception error in TQelGameEngine.MakeColorFishesSurfaces!", [&] {
        surfaces_.LoadSurfFromFileOrFileFolder(data_, kPlusOne);
        MakeHalo(kPlusOne, kPlusOneHalo);
    });
    // One type that fails leaves the others their pictures.
    for (int32_t t : TypesToMake(level)) {
        LogAndCarryOn(level.Links.Log, "Exception error in TQelGameEngine.MakeColorFishesSurfaces!", [&] {
            MakeType(level, t, *level.Types().Type(t));
        });
    }
}

void TSurfPictureMaker::MakeBonusMoneyPicture(const std::string& text)
{
    LogAndCarryOn(surfaces_.GameLog(), "Error MakeBonusMoneyPicture", [&] {
        surfaces_.DeleteSurface(kBonusMoney);
        surfaces_.LoadSurfFromFileOrFileFolder(data_, kBonusMoneyBack);
        int32_t w = 0, h = 0;
        if (!surfaces_.GetSurfaceSize(kBonusMoneyBack, w, h) || !surfaces_.NewSurface(kBonusMoney, w, h))
            return;
        surfaces_.CopySurfaceWithAlpha(kBonusMoneyBack, kBonusMoney, std::nullopt, 0, 0);
        TQelFont* font = fonts_ ? fonts_->FontAt(kBonusMoneyFont) : nullptr;
        if (!font)
            return;
        const std::u16string line = Utf8ToUtf16(text);
        const int32_t x = (w - font->GetTextWidth(line)) / 2;
        const int32_t y = (h - font->Height) / 2;
        // The font draws through its engine's host: pointed at the tag meanwhile.
        TSurfFontHost host(surfaces_, *fonts_, kBonusMoney);
        struct TRestore {
            TQelFontEngine& Fonts;
            IQelFontHost* Saved;
            ~TRestore() { Fonts.Host = Saved; }
        } restore{*fonts_, fonts_->Host};
        fonts_->Host = &host;
        font->DrawText(x, y, kBonusMoneyColor, 255, line);
    });
}

void TSurfPictureMaker::MakeScaledPicture(const std::string& source, const std::string& name, double divisor)
{
    // The same source and divisor always make the same picture: one made before stays.
    surfaces_.LoadSurfFromFileOrFileFolder(data_, source, name, divisor);
}
