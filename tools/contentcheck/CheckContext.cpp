// The tables, stores and log capture one check run shares.
#include "tools/contentcheck/CheckContext.h"

#include "audio/MusicPatterns.h"

#include "foundation/Text.h"
#include "interface/QelInterfaceClasses.h"

#include <algorithm>

namespace {

// The fonts the game loads at start-up, in its order.
const char* const kFontFiles[] = {"QelUnicode.xml", "Artistik.xml", "ArtistikDigits.xml", "ComicSansMS_24.xml",
                                  "ComicSansMS_29.xml"};

// Surfaces the game makes at run time, by exact name and by the start of the name.
const char* const kGeneratedNames[] = {"MemorySurface", "BackGround", "MainBackGround", "MainBackGroundDemo",
                                       "MainBackGroundDemoBonus", "MainBackGroundDemoPixel", "MemoryBufer",
                                       "MemoryBuferAdd", "plus1Oreol.png", "CellarPortalMaskDraw.png",
                                       "CellarPortalMaskDraw2.png", "BonusMoney.png", "WomenInMap.png", "a", "b"};
const char* const kGeneratedPrefixes[] = {"__", "FishkaTypes", "smallFishkaTypes", "PFishkaTypes", "Chek", "PPanel",
                                          "Heap", "maptest", "WShop_LPic"};

}  // namespace

bool IsGeneratedSurface(std::string_view name)
{
    for (const char* exact : kGeneratedNames)
        if (name == exact)
            return true;
    for (const char* prefix : kGeneratedPrefixes)
        if (name.starts_with(prefix))
            return true;
    return false;
}

int32_t TCheckedGameTables::FishkaTypeIndex(std::string_view name) const
{
    int32_t index = types_.IndexByName(name);
    if (index < 0)
        Miss("no piece type \"" + std::string(name) + "\" in FishkaTypes.xml");
    return index;
}

std::optional<TPieceTypeInfo> TCheckedGameTables::FishkaType(int32_t index) const
{
    const TFishkaType* type = types_.Type(index);
    if (!type)
        return std::nullopt;
    return TPieceTypeInfo{type->Name, type->PieceCount};
}

int32_t TCheckedGameTables::ManTypeIndex(std::string_view name) const
{
    int32_t index = mans_.IndexByName(name);
    if (index < 0)
        Miss("no customer type \"" + std::string(name) + "\" in Mans.xml");
    return index;
}

std::optional<std::string> TCheckedGameTables::MusicFileById(std::string_view id) const
{
    for (const auto& [musicId, file] : music_)
        if (musicId == id)
            return file;
    Miss("no music ID \"" + std::string(id) + "\" in MusicPattern.xml");
    return std::nullopt;
}

void TCheckedGameTables::Miss(const std::string& what) const
{
    if (std::find(Misses.begin(), Misses.end(), what) == Misses.end())
        Misses.push_back(what);
}

std::vector<std::pair<std::string, std::string>> ReadMusicEntries(const TDataSource& source, TGameLog& log)
{
    TMusicPatternTable table;
    table.LoadMusicPattern(source, "MusicPattern.xml", log);
    std::vector<std::pair<std::string, std::string>> music;
    for (const TMusicPatterns& entry : table.Items)
        music.emplace_back(entry.ID, entry.Name);
    return music;
}

TCheckContext::TCheckContext(const TDataSource& source)
    : Source(source),
      GameLog({}, Clock),
      Surfaces(TDisplayFormat::Bgr32()),
      engineLog_({}, Clock, false),
      previousEngineLog_(EngineLog())
{
    auto keep = [this](const std::string& line) {
        if (sink_ && std::find(sink_->begin(), sink_->end(), line) == sink_->end())
            sink_->push_back(line);
    };
    GameLog.Listener = [keep](const std::string& message, const std::string& fileName) {
        if (fileName.empty())
            keep(message);
    };
    engineLog_.Enabled = true;
    engineLog_.Listener = keep;
    SetEngineLog(&engineLog_);
    Surfaces.SetGameLog(&GameLog);
    RegisterFontClasses(classes_);
    RegisterInterfaceClasses(classes_);

    // The game's order: each table may resolve names through those before it.
    Types.LoadFishkaTypes(Source, "FishkaTypes.xml", GameLog);
    Mans.LoadMans(Source, "Mans.xml", GameLog);
    Shop.LoadShop(Source, "Shop.xml", GameLog);
    Music = ReadMusicEntries(Source, GameLog);
    TCheckedGameTables tables(Types, Mans, Music);
    Episods.LoadEpisods(Source, "Episods.xml", tables, Shop, true, GameLog);

    for (const TManTypes& man : Mans.Items)
        for (const TManAnime& anime : man.Animes)
            if (!anime.AnimeFiles.empty())
                AnimeFiles.insert(AsciiLower(anime.AnimeFiles));
    for (const TEpisod& episod : Episods.Items)
        for (const TLevelInEpisod& level : episod.Levels)
            if (!level.Name.empty())
                LevelFiles.insert(AsciiLower(level.Name));
}

TCheckContext::~TCheckContext()
{
    SetEngineLog(previousEngineLog_);
}

TCaptured TCheckContext::Capture(const std::function<void()>& body)
{
    TCaptured captured;
    std::vector<std::string>* outer = sink_;
    sink_ = &captured.Lines;
    Boxes.Boxes.clear();
    try {
        body();
    } catch (const std::exception& e) {
        captured.Escaped = e.what();
    } catch (...) {
        captured.Escaped = "an exception of unknown type";
    }
    sink_ = outer;
    for (const TRecordingMessageBox::Shown& box : Boxes.Boxes)
        if (std::find(captured.Lines.begin(), captured.Lines.end(), box.Text) == captured.Lines.end())
            captured.Lines.push_back(box.Text);
    Boxes.Boxes.clear();
    return captured;
}

bool TCheckContext::LoadPicture(const std::string& name)
{
    if (name.empty())
        return false;
    if (IsGeneratedSurface(name))
        return true;
    try {
        return Surfaces.LoadSurfFromFileOrFileFolder(Source, name);
    } catch (const std::exception&) {
        return false;  // the store logs its own line
    }
}

TQelFontEngine& TCheckContext::Fonts()
{
    if (!fonts_) {
        fonts_ = std::make_unique<TQelFontEngine>(classes_);
        std::vector<std::string> ignored;
        std::vector<std::string>* outer = sink_;
        sink_ = &ignored;  // each font file's own row reports its problems
        for (const char* name : kFontFiles) {
            if (!Source.Exists(name))
                continue;
            try {
                fonts_->LoadFontFromData(Source, name);
            } catch (const std::exception&) {
            }
        }
        sink_ = outer;
    }
    return *fonts_;
}
