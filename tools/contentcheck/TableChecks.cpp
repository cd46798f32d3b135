// The game's tables and level files through their loaders: piece types, customers, the
// shop, the episodes (resolved through the tables read before them) and the levels (on
// the piece type table, with their pictures in the store).
#include "tools/contentcheck/CheckContext.h"
#include "tools/contentcheck/LoaderChecks.h"

#include "effects/QelFXBase.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFile.h"
#include "gameplay/SurfLevelPictures.h"

#include <algorithm>

namespace {

// The non-empty names of a ";" list, the last one with or without its ";".
std::vector<std::string> Names(std::string_view text)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = std::min(text.find(';', start), text.size());
        std::string name = Trim(text.substr(start, end - start));
        if (!name.empty())
            names.push_back(name);
        start = end + 1;
    }
    return names;
}

void NeedFile(const TCheckedFile& file, const std::string& what, const std::string& name, TCheckReport& report)
{
    if (name.empty())
        report.Error(file.Name, what + " names no file");
    else if (!file.Source.Exists(name))
        report.Error(file.Name, what + ": \"" + name + "\" is not in the archive");
}

void NeedPicture(const TCheckedFile& file, const std::string& what, const std::string& name, TCheckReport& report)
{
    if (name.empty())
        report.Error(file.Name, what + " names no picture");
    else if (!file.Context.LoadPicture(name))
        report.Error(file.Name, what + ": the picture \"" + name + "\" is not in the archive or does not load");
}

}  // namespace

void CheckPieceTypes(const TCheckedFile& file, TCheckReport& report)
{
    TFishkaTypes types;
    ReportLoaderLines(file,
                      file.Context.Capture([&] { types.LoadFishkaTypesText(file.Text(), file.Context.GameLog); }),
                      report);
    for (const TFishkaType& type : types.Items) {
        const std::string what = "piece type \"" + type.Name + "\"";
        if (type.Name.empty())
            report.Error(file.Name, "a piece type without Name");
        else if (types.IndexByName(type.Name) != &type - types.Items.data())
            report.Error(file.Name, what + " is given twice (levels and episodes find the first)");
        if (type.Pieces.empty()) {
            report.Error(file.Name, what + " has no pieces");
            continue;
        }
        // The last combination is the complete outfit: it carries every part.
        const std::string& whole = type.Pieces.back().Hierarchy;
        if (PartCount(PartsFromDigits(whole)) != type.PieceCount)
            report.Error(file.Name, what + ": the last piece \"" + whole + "\" is not the whole of its " +
                                        std::to_string(type.PieceCount) + " parts");
    }
}

void CheckCustomers(const TCheckedFile& file, TCheckReport& report)
{
    TManTypeTable mans;
    ReportLoaderLines(file, file.Context.Capture([&] { mans.LoadMansText(file.Text(), file.Context.GameLog); }),
                      report);
    for (const TManTypes& man : mans.Items) {
        const std::string what = "customer \"" + man.Name + "\"";
        if (man.Name.empty())
            report.Error(file.Name, "a customer type without Name");
        NeedPicture(file, what + " Pict", man.Pict, report);
        NeedPicture(file, what + " thought bubble", man.Oblako, report);
        if (man.Animes.empty())
            report.Error(file.Name, what + " has no animation");
        for (const TManAnime& anime : man.Animes) {
            NeedFile(file, what + " AnimeFiles", anime.AnimeFiles, report);
            if (anime.Begin < 0 || anime.End > 100 || anime.Begin > anime.End)
                report.Error(file.Name, what + ": Begin " + std::to_string(anime.Begin) + " and End " +
                                            std::to_string(anime.End) + " are no range of 0..100 percent");
        }
    }
    if (mans.Items.empty())
        report.Error(file.Name, "no customer types");
}

void CheckShop(const TCheckedFile& file, TCheckReport& report)
{
    TShop shop;
    ReportLoaderLines(file, file.Context.Capture([&] { shop.LoadShopText(file.Text(), file.Context.GameLog); }),
                      report);
    for (const TShopUpgrade& upgrade : shop.Upgrades)
        if (shop.FindUpgrade(upgrade.ID) != &upgrade - shop.Upgrades.data())
            report.Error(file.Name, "the upgrade ID \"" + upgrade.ID + "\" is given twice (episodes find the first)");
}

void CheckEpisodes(const TCheckedFile& file, TCheckReport& report)
{
    TCheckContext& context = file.Context;
    TCheckedGameTables tables(context.Types, context.Mans, context.Music);
    TEpisods episods;
    ReportLoaderLines(file, context.Capture([&] {
        episods.LoadEpisodsText(file.Text(), tables, context.Shop, true, context.GameLog);
    }),
                      report);
    for (const std::string& miss : tables.Misses)
        report.Error(file.Name, miss);

    // What the loader passes over: upgrade IDs the shop lacks, and outfits without a price.
    TQelParser document;
    document.LoadFromText(file.Text());
    const TQelXMLTag* list = document.FindChildByName("Episods");
    for (size_t e = 0; list && e < list->Children.size(); ++e) {
        const std::string where = "episode " + std::to_string(e + 1);
        if (const TQelXMLTag* upgrades = list->Children[e]->GetChildByName("UpgradeList"))
            for (const std::string& id : Names(upgrades->AttributeValue("IDList")))
                if (context.Shop.FindUpgrade(id) < 0)
                    report.Error(file.Name, where + ": no upgrade \"" + id + "\" in Shop.xml");
    }
    for (size_t e = 0; e < episods.Items.size(); ++e)
        for (const auto& stage : episods.Items[e].LevelFishes)
            for (int32_t index : stage) {
                const TFishkaType* type = context.Types.Type(index);
                if (type && context.Shop.GetValueByFishkaTypes(type->Name, type->PieceCount) <= 0)
                    report.Error(file.Name, "episode " + std::to_string(e + 1) + ": the outfit \"" + type->Name +
                                                "\" has no value in Shop.xml, so customers pay nothing for it");
            }
}

void CheckLevel(const TCheckedFile& file, TCheckReport& report)
{
    TCheckContext& context = file.Context;
    TSurfLevelPictures pictures(context.Surfaces, file.Source);
    TLevelLinks links;
    links.Types = &context.Types;
    links.Random = &context.Random;
    links.Log = &context.GameLog;
    links.Pictures = &pictures;
    tLevel level(links);
    level.FileName = file.Name;
    TLevelLoadContext load;
    load.Data = &file.Source;
    load.Now = context.Clock.NowMs();
    ReportLoaderLines(file, context.Capture([&] { LoadLevelText(level, file.Text(), false, false, load); }), report);

    TQelParser document;
    document.LoadFromText(file.Text());
    if (document.ChildCount() == 0)
        return;
    const TQelXMLTag& root = *document.GetChild(0);
    // The loader says only that something was wrong with a belt; this says what.
    if (const TQelXMLTag* lentas = root.GetChildByName("Lentas"))
        for (size_t i = 0; i < lentas->Children.size(); ++i) {
            const TQelXMLTag* path = lentas->Children[i]->GetChildByName("Path");
            if (!path) {
                report.Error(file.Name, "belt " + std::to_string(i + 1) + " has no Path");
                continue;
            }
            try {
                CreatePathMorph(path->Text, 2);
            } catch (const EQelFXError& e) {
                report.Error(file.Name, "belt " + std::to_string(i + 1) + ": Path: " + e.what());
            }
        }
    for (const char* list : {"LevelFishes", "HintFishes"})
        if (const TQelXMLTag* tag = root.GetChildByName(list)) {
            for (const std::string& name : Names(tag->Text))
                if (context.Types.IndexByName(name) < 0)
                    report.Error(file.Name, std::string(list) + ": no piece type \"" + name + "\" in FishkaTypes.xml");
            // The loader reads only names closed by ";".
            std::string_view text = tag->Text;
            size_t last = text.rfind(';');
            std::string rest = Trim(last == std::string_view::npos ? text : text.substr(last + 1));
            if (!rest.empty())
                report.Error(file.Name, std::string(list) + ": \"" + rest + "\" lacks its closing \";\" and is not read");
        }
    if (!level.IsBonusLevel() && !level.IsPixelLevel() && level.Lentas.empty())
        report.Error(file.Name, "a standard level without belts");

    for (const std::string& name : level.LoadedPictures)
        if (!pictures.HasPicture(name) && !IsGeneratedSurface(name))
            report.Error(file.Name, "the picture \"" + name + "\" is not in the archive or does not load");
    for (int32_t index : level.LevelFishes)
        if (const TFishkaType* type = context.Types.Type(index))
            for (const TFishPiece& piece : type->Pieces)
                NeedPicture(file, "piece type \"" + type->Name + "\"", piece.FileName, report);
    for (const TSceneEffect& effect : level.Scene.Effects)
        NeedFile(file, "scene effect", effect.FileName, report);
    for (const TLevelDialog& dialog : level.Scene.DialogList)
        NeedFile(file, "dialog", dialog.FileName, report);
}
