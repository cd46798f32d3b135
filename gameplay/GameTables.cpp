// Loading the game's tables in the game's order, and the names the episode file resolves
// through them.
#include "gameplay/GameTables.h"

#include "foundation/DataSource.h"
#include "foundation/QelLog.h"

namespace {

const char kFishkaTypesFile[] = "FishkaTypes.xml";
const char kMansFile[] = "Mans.xml";
const char kMusicPatternFile[] = "MusicPattern.xml";
const char kShopFile[] = "Shop.xml";
const char kEpisodsFile[] = "Episods.xml";

}  // namespace

void TGameTables::LoadGameTables(const TDataSource& data, bool debugMode, TGameLog& log)
{
    LoadPieceTypes(data, log);
    LoadOtherTables(data, nullptr, debugMode, log);
}

void TGameTables::LoadGameTables(const TDataSource& data, const TMusicPatternTable& music, bool debugMode,
                                 TGameLog& log)
{
    LoadPieceTypes(data, log);
    LoadOtherTables(data, &music, debugMode, log);
}

void TGameTables::LoadPieceTypes(const TDataSource& data, TGameLog& log)
{
    FishkaTypes.LoadFishkaTypes(data, kFishkaTypesFile, log);
}

void TGameTables::LoadOtherTables(const TDataSource& data, const TMusicPatternTable* music, bool debugMode,
                                  TGameLog& log)
{
    // Each loader logs its own failure and leaves its table as far as it got; the next
    // table loads regardless, so one damaged file costs only its own data.
    Mans.LoadMans(data, kMansFile, log);
    sharedMusic_ = music;
    if (!music)
        ownMusic_.LoadMusicPattern(data, kMusicPatternFile, log);
    Shop.LoadShop(data, kShopFile, log);
    Episods.LoadEpisods(data, kEpisodsFile, *this, Shop, debugMode, log);
}

int32_t TGameTables::FishkaTypeIndex(std::string_view name) const { return FishkaTypes.IndexByName(name); }

std::optional<TPieceTypeInfo> TGameTables::FishkaType(int32_t index) const
{
    const TFishkaType* type = FishkaTypes.Type(index);
    if (!type)
        return std::nullopt;
    return TPieceTypeInfo{type->Name, type->PieceCount};
}

int32_t TGameTables::ManTypeIndex(std::string_view name) const { return Mans.IndexByName(name); }

std::optional<std::string> TGameTables::MusicFileById(std::string_view id) const
{
    // The first entry with the ID wins, as the music lookup of a level does.
    for (const TMusicPatterns& entry : Music().Items)
        if (entry.ID == id)
            return entry.Name;
    return std::nullopt;
}
