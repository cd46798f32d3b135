// The game's tables, loaded once and shared by the level, the map and the catalogue: the
// piece types, the customer types, the music entries, the shop and the episodes. One object
// for the life of the game (and of a tool that plays or checks like it).
#pragma once

#include "audio/MusicPatterns.h"
#include "gameplay/FishkaType.h"
#include "gameplay/ManTypes.h"
#include "metagame/Episods.h"
#include "metagame/GameTables.h"
#include "metagame/Shop.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TDataSource;
class TGameLog;

class TGameTables final : public IGameTables {
public:
    // Every table from the data, in the game's order: "FishkaTypes.xml", "Mans.xml",
    // "MusicPattern.xml", "Shop.xml", "Episods.xml" (the episodes resolve their names through
    // all the others). A table that fails logs its own line and stays empty or partial; the
    // rest still load. debugMode keeps the episode list as long as the file makes it.
    void LoadGameTables(const TDataSource& data, bool debugMode, TGameLog& log);
    // The same with the music entries of a table already read (the sound engine's), so that
    // the file is read once; music must outlive this object.
    void LoadGameTables(const TDataSource& data, const TMusicPatternTable& music, bool debugMode, TGameLog& log);

    // The two halves of the order, for a start-up that loads the player between them: the
    // piece types, then the rest (own music when music is null).
    void LoadPieceTypes(const TDataSource& data, TGameLog& log);
    void LoadOtherTables(const TDataSource& data, const TMusicPatternTable* music, bool debugMode, TGameLog& log);

    // IGameTables
    int32_t FishkaTypeIndex(std::string_view name) const override;
    std::optional<TPieceTypeInfo> FishkaType(int32_t index) const override;
    int32_t ManTypeIndex(std::string_view name) const override;
    std::optional<std::string> MusicFileById(std::string_view id) const override;

    // The music entries in use: the table given to the loading, or the one read here.
    const TMusicPatternTable& Music() const { return sharedMusic_ ? *sharedMusic_ : ownMusic_; }

    TFishkaTypes FishkaTypes;
    TManTypeTable Mans;
    TShop Shop;
    TEpisods Episods;

private:
    TMusicPatternTable ownMusic_;
    const TMusicPatternTable* sharedMusic_ = nullptr;
};
