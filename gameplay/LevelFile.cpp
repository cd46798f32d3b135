// Reading a level file: its elements are applied in a fixed order by a table of rows, then
// the pictures it names are loaded and the previous level's pictures released.
#include "gameplay/LevelFile.h"

#include "effects/QelFXObjects.h"
#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "foundation/Files.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "gameplay/Level.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace {

const char kLoadError[] = "Error LoadLevel";
constexpr int32_t kReadyDelay = 2000;      // ms before a loaded level may be played
constexpr int32_t kDefaultCompleteCount = 4;
constexpr int32_t kKabinkaRandomLow = 3;   // the random number each fitting cabin gets
constexpr int32_t kKabinkaRandomHigh = 6;
const std::string kTimeLine = "TimeLine.png";

// How one element is looked up below the level element.
enum class TFound { Direct, Deep };

// A document being applied: the level, what it may use, and whether anything was wrong.
struct TApply {
    tLevel& Level;
    const TLevelLoadContext& Context;
    bool WithHeaps = false;
    bool Clean = true;

    void Problem() { Clean = false; }
};

int32_t Int(const TQelXMLTag& tag, std::string_view name) { return LeadingInt(tag.AttributeValue(name)); }

// "true"/"false" in any case; a missing or other value gives fallback.
bool Bool(const TQelXMLTag& tag, std::string_view name, bool fallback)
{
    const TQelParserAttribute* attribute = tag.GetAttributeByName(name);
    if (!attribute)
        return fallback;
    return StrictBool(attribute->Value).value_or(false);
}

uint8_t Byte(const TQelXMLTag& tag, std::string_view name)
{
    return static_cast<uint8_t>(std::clamp(Int(tag, name), 0, 255));
}

// "x,y": x before the first comma, y after it.
TPoint Point(std::string_view text)
{
    size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return {LeadingInt(text), 0};
    return {LeadingInt(text.substr(0, comma)), LeadingInt(text.substr(comma + 1))};
}

// The pieces of a list, each one followed by the separator; text after the last
// separator is not an entry. Entries are trimmed.
std::vector<std::string> Terminated(std::string_view text, char separator)
{
    std::vector<std::string> items;
    size_t start = 0;
    for (size_t end = text.find(separator); end != std::string_view::npos; end = text.find(separator, start)) {
        items.push_back(Trim(text.substr(start, end - start)));
        start = end + 1;
    }
    return items;
}

// A list whose last entry may lack its separator.
std::vector<std::string> Separated(std::string_view text, char separator)
{
    std::string withEnd(text);
    if (withEnd.empty() || withEnd.back() != separator)
        withEnd += separator;
    return Terminated(withEnd, separator);
}

// Piece type names, unknown ones skipped.
std::vector<int32_t> TypeList(const tLevel& level, std::string_view text)
{
    std::vector<int32_t> types;
    for (const std::string& name : Terminated(text, ';')) {
        int32_t index = level.Types().IndexByName(name);
        if (index >= 0)
            types.push_back(index);
    }
    return types;
}

void ApplyLentas(TApply& a, const TQelXMLTag& tag)
{
    TLevelScene& scene = a.Level.Scene;
    scene.LentaImage = tag.AttributeValue("Image");
    scene.LentaFrequency = Int(tag, "Frequency");
    scene.LentaParticle.Name = tag.AttributeValue("Paticle");
    if (!scene.LentaParticle.Name.empty()) {
        a.Level.Pictures().LoadPicture(scene.LentaParticle.Name);
        a.Level.Pictures().PictureSize(scene.LentaParticle.Name, scene.LentaParticle.Width,
                                       scene.LentaParticle.Height);
    }
    for (const auto& child : tag.Children) {
        TLenta lenta;
        lenta.BornPeriod = Int(*child, "BornPeriod");
        if (const TQelXMLTag* path = child->GetChildByName("Path")) {
            try {
                lenta.SetPathScript(path->Text);
            } catch (const EQelFXError&) {
                a.Problem();  // the belt stays, without a path it does nothing
            }
        }
        a.Level.Lentas.push_back(std::move(lenta));
    }
}

void ApplyBackGround(TApply& a, const TQelXMLTag& tag) { a.Level.Scene.BackPicture = tag.AttributeValue("BackPicture"); }

void ApplyLevelFishes(TApply& a, const TQelXMLTag& tag)
{
    tLevel& level = a.Level;
    level.LevelFishes = TypeList(level, tag.Text);
    level.CountCompleteFishes.assign(level.LevelFishes.size(), kDefaultCompleteCount);
    if (const TQelParserAttribute* counts = tag.GetAttributeByName("CountCompleteFishes")) {
        std::vector<std::string> numbers = Separated(counts->Value, ',');
        // Counts beyond the piece types have no type to belong to.
        size_t n = std::min(numbers.size(), level.CountCompleteFishes.size());
        for (size_t i = 0; i < n; ++i)
            level.CountCompleteFishes[i] = LeadingInt(numbers[i]);
    }
}

struct TStateName {
    std::string_view Name;
    TLevelState State;
};
constexpr TStateName kStates[] = {
    {"lsAero", TLevelState::lsAero}, {"lsTort", TLevelState::lsTort}, {"lsPeople", TLevelState::lsPeople},
    {"lsHim", TLevelState::lsHim},   {"lsPixel", TLevelState::lsPixel},
};

void ApplyParams(TApply& a, const TQelXMLTag& tag)
{
    TLevelScene& scene = a.Level.Scene;
    TBoxGrid& box = a.Level.Box;
    std::string state = Trim(tag.AttributeValue("LevelState"));
    scene.LevelState = TLevelState::lsAero;
    for (const TStateName& row : kStates)
        if (EqualsNoCase(row.Name, state))
            scene.LevelState = row.State;
    scene.ShiftLentaY = Int(tag, "ShiftLentaY");
    scene.SpecialFish = Bool(tag, "SpecialFish", false);
    scene.SpecialFishPeriod = Int(tag, "SpecialFishPeriod");
    scene.Bonus = Bool(tag, "Bonus", false);
    box.BoxWidth = Byte(tag, "BoxWidth");
    box.BoxHeght = Byte(tag, "BoxHeght");
    box.CellWidth = Int(tag, "CellWidth");
    box.CellHeght = Int(tag, "CellHeght");
    scene.Stoika.Name = tag.AttributeValue("Stoika");
    scene.Cursor.Name = tag.AttributeValue("Cursor");
    box.CellFrame.Name = tag.AttributeValue("CellFrame");
    box.DrawBoxCells = Bool(tag, "DrawBoxCells", true);
    if (const TQelParserAttribute* shift = tag.GetAttributeByName("BoxShift"))
        box.BoxShift = Point(shift->Value);
}

void ApplyHeapPictures(TApply& a, const TQelXMLTag& tag)
{
    for (const auto& child : tag.Children) {
        tHeapRec heap;
        heap.FileName = child->AttributeValue("FileName");
        heap.Pos = Point(child->AttributeValue("Pos"));
        heap.Angle = Int(*child, "Angle");
        heap.Flip = Bool(*child, "Flip", false);
        heap.AnimeFiles = child->AttributeValue("AnimeFiles");
        heap.Loaded = true;
        a.Level.Scene.HeapPictures.push_back(std::move(heap));
    }
    if (a.WithHeaps && a.Context.PrepareHeaps)
        a.Context.PrepareHeaps(a.Level);
}

void ApplyHintFishes(TApply& a, const TQelXMLTag& tag)
{
    TLevelHints& hints = a.Level.Scene.Hints;
    hints.HasHintFishes = true;
    hints.HintEffect = Bool(tag, "HintEffect", true);
    for (const char* name : {"Pos1", "Pos2", "Pos3"})
        if (const TQelParserAttribute* pos = tag.GetAttributeByName(name))
            hints.HintPoints.push_back(Point(pos->Value));
    hints.HintFishes = TypeList(a.Level, tag.Text);
}

struct TBonusEntry {
    std::string_view Name;
    TFishKind Kind;
};
constexpr TBonusEntry kBonusEntries[] = {
    {"plus1", TFishKind::PlusOne},
    {"pause", TFishKind::Pause},
    {"reverce", TFishKind::Reverse},
    {"transform", TFishKind::Transform},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void ApplyAddFishesList(TApply& a, const TQelXMLTag& tag)
{
    for (const std::string& text : Separated(tag.AttributeValue("Fishes"), ';')) {
        if (text.empty())
            continue;
        TAddFishEntry entry;
        auto bonus = std::find_if(std::begin(kBonusEntries), std::end(kBonusEntries),
                                  [&](const TBonusEntry& row) { return row.Name == text; });
        if (bonus != std::end(kBonusEntries)) {
            entry.Kind = bonus->Kind;
        } else if (text.find('-') != std::string::npos && text.size() >= 3 && IsDigit(text[0]) &&
                   IsDigit(text[2])) {
            // "a-b": the level's piece type a and its part b, one digit each.
            entry.TypeDigit = text[0] - '0';
            entry.Part = text[2] - '0';
        } else {
            entry.TypeIndex = a.Level.Types().IndexByName(text);
            if (entry.TypeIndex < 0)
                continue;
        }
        a.Level.Scene.AddFishesList.push_back(entry);
    }
}

void ApplyDialogList(TApply& a, const TQelXMLTag& tag)
{
    for (const auto& child : tag.Children)
        a.Level.Scene.DialogList.push_back({child->AttributeValue("FileName"), Int(*child, "TimeStart")});
    a.Level.DialogIndex = 0;
}

void ApplyPosKabinki(TApply& a, const TQelXMLTag& tag)
{
    for (const auto& child : tag.Children)
        a.Level.Scene.PosKabinki.push_back(
            {Int(*child, "X"), Int(*child, "Y"), a.Level.Random().Between(kKabinkaRandomLow, kKabinkaRandomHigh)});
}

void ApplyAddPictures(TApply& a, const TQelXMLTag& tag)
{
    for (const auto& child : tag.Children) {
        TAddPicture picture;
        picture.FileName = child->AttributeValue("Add_BackPicture");
        picture.X = Int(*child, "Add_BackPicture_X");
        picture.Y = Int(*child, "Add_BackPicture_Y");
        picture.Left = Int(*child, "Left");
        picture.Top = Int(*child, "Top");
        picture.Right = Int(*child, "Right");
        picture.Bottom = Int(*child, "Bottom");
        a.Level.Scene.AddPictures.push_back(std::move(picture));
    }
}

void ApplyPersPosition(TApply& a, const TQelXMLTag& tag)
{
    for (const auto& child : tag.Children)
        a.Level.Scene.PersPosition.push_back({Int(*child, "X"), Int(*child, "Y"), false});
}

void ApplyEffects(TApply& a, const TQelXMLTag& tag)
{
    for (const auto& child : tag.Children)
        a.Level.Scene.Effects.push_back({child->AttributeValue("FileName"), Int(*child, "ShiftX"), Int(*child, "ShiftY")});
}

// Rows fill the grid from the top; numbers beyond the grid's width or rows beyond its
// height have no cell and are left out.
void ApplyPutFishes(TApply& a, const TQelXMLTag& tag)
{
    TBoxGrid& box = a.Level.Box;
    box.PutFishes.assign(static_cast<size_t>(box.BoxWidth) + 1,
                         std::vector<TPutFish>(static_cast<size_t>(box.BoxHeght) + 1));
    for (size_t r = 0; r < tag.Children.size() && r + 1 <= box.BoxHeght; ++r) {
        std::string row = tag.Children[r]->Text;
        std::replace(row.begin(), row.end(), '\t', ' ');
        size_t k = 0;
        size_t pos = 0;
        while (pos < row.size()) {
            size_t start = row.find_first_not_of(' ', pos);
            if (start == std::string::npos)
                break;
            size_t end = row.find(' ', start);
            if (end == std::string::npos)
                end = row.size();
            ++k;
            if (k <= box.BoxWidth) {
                int32_t number = LeadingInt(std::string_view(row).substr(start, end - start));
                box.PutFishes[k][r + 1] = {static_cast<uint8_t>(std::abs(number % 10)), true};
            }
            pos = end;
        }
    }
}

// The elements in the order they are applied; the level's own steps run between them.
struct TElementRow {
    std::string_view Name;
    TFound Found;
    void (*Apply)(TApply&, const TQelXMLTag&);
};
constexpr TElementRow kSceneElements[] = {
    {"Lentas", TFound::Direct, ApplyLentas},
    {"BackGround", TFound::Deep, ApplyBackGround},
};
constexpr TElementRow kTypeElements[] = {
    {"LevelFishes", TFound::Direct, ApplyLevelFishes},
    {"Params", TFound::Deep, ApplyParams},
};
constexpr TElementRow kHeapElements[] = {
    {"HeapPictures", TFound::Direct, ApplyHeapPictures},
    {"HintFishes", TFound::Direct, ApplyHintFishes},
    {"AddFishesList", TFound::Direct, ApplyAddFishesList},
    {"DialogList", TFound::Direct, ApplyDialogList},
    {"PosKabinki", TFound::Direct, ApplyPosKabinki},
};
constexpr TElementRow kPlaceElements[] = {
    {"AddPictures", TFound::Deep, ApplyAddPictures},
    {"PersPosition", TFound::Deep, ApplyPersPosition},
    {"Effects", TFound::Deep, ApplyEffects},
    {"PutFishes", TFound::Deep, ApplyPutFishes},
};

template <size_t N>
void ApplyRows(TApply& a, const TQelXMLTag& root, const TElementRow (&rows)[N])
{
    for (const TElementRow& row : rows) {
        const TQelXMLTag* tag = row.Found == TFound::Direct ? root.GetChildByName(row.Name) : root.FindChildByName(row.Name);
        if (tag)
            row.Apply(a, *tag);
    }
}

void Progress(const TLevelLoadContext& context, int32_t percent)
{
    if (context.Progress)
        context.Progress->SetPercent(percent);
}

void AddName(std::vector<std::string>& names, const std::string& name)
{
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
        names.push_back(name);
}

// The pictures the level names, in the order of the file.
std::vector<std::string> LevelPictureNames(const tLevel& level)
{
    std::vector<std::string> names;
    AddName(names, level.Scene.LentaImage);
    AddName(names, level.Scene.LentaParticle.Name);
    AddName(names, level.Scene.BackPicture);
    AddName(names, level.Scene.Stoika.Name);
    AddName(names, level.Scene.Cursor.Name);
    AddName(names, level.Box.CellFrame.Name);
    for (const tHeapRec& heap : level.Scene.HeapPictures)
        AddName(names, heap.FileName);
    for (const TAddPicture& picture : level.Scene.AddPictures)
        AddName(names, picture.FileName);
    return names;
}

void SizeOf(ILevelPictures& pictures, TPictureRef& ref)
{
    if (!ref.Name.empty())
        pictures.PictureSize(ref.Name, ref.Width, ref.Height);
}

// Loads what the level names and the store lacks, then lets go of the previous level's
// pictures that this level does not use.
void LoadLevelPictures(tLevel& level, const TLevelLoadContext& context)
{
    ILevelPictures& pictures = level.Pictures();
    level.LoadedPictures = LevelPictureNames(level);
    for (const std::string& name : level.LoadedPictures)
        if (!pictures.HasPicture(name))
            pictures.LoadPicture(name);
    SizeOf(pictures, level.Scene.Stoika);
    SizeOf(pictures, level.Scene.Cursor);
    SizeOf(pictures, level.Box.CellFrame);
    for (TAddPicture& picture : level.Scene.AddPictures) {
        pictures.PictureSize(picture.FileName, picture.Width, picture.Height);
        if (picture.Right != 0 || picture.Bottom != 0) {
            picture.Width = std::max(0, picture.Right - picture.Left);
            picture.Height = std::max(0, picture.Bottom - picture.Top);
        }
    }
    if (context.PreviousPictures) {
        std::set<std::string> used(level.LoadedPictures.begin(), level.LoadedPictures.end());
        for (const std::string& name : *context.PreviousPictures)
            if (!used.count(name) && !pictures.IsPermanent(name))
                pictures.ReleasePicture(name);
        *context.PreviousPictures = level.LoadedPictures;
    }
}

// The level's lists and its running state are emptied before a file is applied, so a
// level object can load again (the demo levels do) without anything of its previous run:
// customers, the belt's running fields, the flow, the score and the result counters. What
// the belt is set up with (the bonuses bought, births by the rules or by a demo) stays.
void ResetLevel(tLevel& level)
{
    level.Scene.PersPosition.clear();
    level.Scene.AddFishesList.clear();
    level.Scene.HeapPictures.clear();
    level.Scene.DialogList.clear();
    level.Scene.PosKabinki.clear();
    level.Scene.AddPictures.clear();
    level.Scene.Effects.clear();
    level.Scene.Hints = {};
    level.LevelFishes.clear();
    level.CountCompleteFishes.clear();
    level.Lentas.clear();

    TBelt fresh;
    fresh.Bonuses = level.Belt.Bonuses;
    fresh.RuleBirths = level.Belt.RuleBirths;
    level.Belt = std::move(fresh);
    level.Play = TLevelPlay{};
    level.Times = TLevelTimes{};
    level.DialogIndex = 0;
}

}  // namespace

bool LoadLevelText(tLevel& level, std::string_view text, bool withHeaps, bool sceneOnly,
                   const TLevelLoadContext& context)
{
    TQelParser document;
    document.LoadFromText(text);
    if (document.ChildCount() == 0) {
        level.WriteLog(level.FileName + " XML file does not has tags!");
        level.WriteLog(kLoadError);
        return false;
    }
    const TQelXMLTag& root = *document.GetChild(0);
    ResetLevel(level);
    Progress(context, 10);

    TApply a{level, context, withHeaps};
    ApplyRows(a, root, kSceneElements);
    if (sceneOnly) {
        if (!a.Clean)
            level.WriteLog(kLoadError);
        return true;
    }
    ApplyRows(a, root, kTypeElements);
    if (!level.IsBonusLevel() && !level.IsPixelLevel() && context.OutfitTypes) {
        level.LevelFishes = *context.OutfitTypes;
        level.CountCompleteFishes.assign(level.LevelFishes.size(), kDefaultCompleteCount);
    }
    ApplyRows(a, root, kHeapElements);
    Progress(context, 20);
    ApplyRows(a, root, kPlaceElements);

    LoadLevelPictures(level, context);
    level.Belt.SpecialCountdown = level.Scene.SpecialFishPeriod;
    level.Times.ReadyAt = context.Now + kReadyDelay;
    Progress(context, 30);
    if (!a.Clean)
        level.WriteLog(kLoadError);
    return true;
}

bool LoadLevel(tLevel& level, const std::string& fileName, const std::string& folder, bool withHeaps, bool sceneOnly,
               bool showProgress, const TLevelLoadContext& context)
{
    level.FileName = fileName;
    level.Pictures().LoadPicture(kTimeLine);
    if (showProgress && context.Progress) {
        context.Progress->Show();
        context.Progress->SetPercent(1);
    }
    TLevelLoadContext quiet = context;
    if (!showProgress)
        quiet.Progress = nullptr;

    std::optional<std::vector<uint8_t>> bytes;
    if (!folder.empty()) {
        if (IsBareFileName(fileName))
            if (auto path = ResolveFileNoCase(std::filesystem::path(folder), fileName))
                bytes = ReadFileBytes(*path);
    } else if (context.Data) {
        bytes = context.Data->Read(fileName);
    }
    if (!bytes) {
        level.WriteLog(kLoadError);
        return false;
    }
    return LoadLevelText(level, std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                         withHeaps, sceneOnly, quiet);
}

std::string LevelScenePicture(const TDataSource& data, const std::string& fileName)
{
    const std::optional<std::vector<uint8_t>> bytes = data.Read(fileName);
    if (!bytes)
        return {};
    // A damaged file only means no scene to show before its day; the day reports it.
    return LogAndCarryOn(nullptr, "", std::string(), [&] {
        TQelParser document;
        document.LoadFromText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
        const TQelXMLTag* root = document.ChildCount() > 0 ? document.GetChild(0) : nullptr;
        const TQelXMLTag* scene = root ? root->FindChildByName("BackGround") : nullptr;
        return scene ? scene->AttributeValue("BackPicture") : std::string();
    });
}
