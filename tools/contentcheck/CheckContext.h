// What the strict checks share during one run: the game's tables read once from the archive
// in the game's order (piece types, customers, shop, music entries, episodes), the picture
// store and the fonts, and the capture of every line the game's loaders log.
#pragma once

#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/QelBaseClasses.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"
#include "foundation/Services.h"
#include "gameplay/FishkaType.h"
#include "gameplay/ManTypes.h"
#include "graphics/SurfEngine.h"
#include "metagame/Episods.h"
#include "metagame/GameTables.h"
#include "metagame/Shop.h"
#include "text/QelFontEngine.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The tables the episode file resolves its names through; every name it asks for and does
// not find is kept with the table that lacks it.
class TCheckedGameTables final : public IGameTables {
public:
    TCheckedGameTables(const TFishkaTypes& types, const TManTypeTable& mans,
                       const std::vector<std::pair<std::string, std::string>>& music)
        : types_(types), mans_(mans), music_(music)
    {
    }
    int32_t FishkaTypeIndex(std::string_view name) const override;
    std::optional<TPieceTypeInfo> FishkaType(int32_t index) const override;
    int32_t ManTypeIndex(std::string_view name) const override;
    std::optional<std::string> MusicFileById(std::string_view id) const override;

    // "no piece type \"X\" in FishkaTypes.xml", in the order asked, each once.
    mutable std::vector<std::string> Misses;

private:
    void Miss(const std::string& what) const;

    const TFishkaTypes& types_;
    const TManTypeTable& mans_;
    const std::vector<std::pair<std::string, std::string>>& music_;
};

// What a loader wrote while it ran, and what escaped it.
struct TCaptured {
    std::vector<std::string> Lines;
    std::string Escaped;  // the message of an exception no one caught; empty when none
};

class TCheckContext {
public:
    // Reads the tables from the source; what their loaders log here is not reported (each
    // table's own row reads its file again and reports it).
    explicit TCheckContext(const TDataSource& source);
    ~TCheckContext();
    TCheckContext(const TCheckContext&) = delete;
    TCheckContext& operator=(const TCheckContext&) = delete;

    // Runs body and gives back every line the game log and the engine log received
    // meanwhile, and each message box text that is not one of them, in order, each once.
    // An exception that leaves body is caught and given back too.
    TCaptured Capture(const std::function<void()>& body);
    // For engines that show message boxes: what they show goes into the running capture.
    TRecordingMessageBox Boxes;

    // Whether the picture is in the store now, loading it from the source first; a surface
    // the game makes itself counts as there.
    bool LoadPicture(const std::string& name);
    // The fonts of the source, loaded on first use (for interface files).
    TQelFontEngine& Fonts();
    // The widget and font classes, for the interface engines the checks make.
    const TQelClassReg& Classes() const { return classes_; }

    const TDataSource& Source;
    TManualClock Clock;
    TRandom Random;
    TGameLog GameLog;
    TSurfEngine Surfaces;

    TFishkaTypes Types;
    TManTypeTable Mans;
    TShop Shop;
    std::vector<std::pair<std::string, std::string>> Music;  // ID, module file
    TEpisods Episods;
    // Files other files name by kind: the anime files of Mans.xml, the level files of
    // Episods.xml (lower case, as the archive finds names).
    std::set<std::string> AnimeFiles;
    std::set<std::string> LevelFiles;

private:
    TQelLog engineLog_;
    TQelLog* previousEngineLog_;
    TQelClassReg classes_;
    std::unique_ptr<TQelFontEngine> fonts_;
    std::vector<std::string>* sink_ = nullptr;
};

// Whether the game makes a surface of that name itself (work surfaces, prepared piece
// pictures, the money label): content may name it without shipping it.
bool IsGeneratedSurface(std::string_view name);

// The entries of "MusicPattern.xml" as (ID, module) pairs, read by the game's loader: what
// the episode file resolves its music through.
std::vector<std::pair<std::string, std::string>> ReadMusicEntries(const TDataSource& source, TGameLog& log);
