// The profile operations on "players.dat".
#include "metagame/PlayersFile.h"

#include "foundation/DataScramble.h"
#include "foundation/Files.h"
#include "foundation/QelBaseClasses.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "metagame/EpisodProgress.h"
#include "metagame/Episods.h"
#include "metagame/Player.h"
#include "metagame/PlayerName.h"
#include "metagame/PlayerState.h"
#include "metagame/WidgetAccess.h"

#include <algorithm>
#include <cctype>
#include <ctime>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kNoTags = " XML file does not has tags!";
constexpr std::string_view kListName = "PlayersListXML";

// Runs an operation; whatever goes wrong inside is logged as the game's exception chain
// ("Exception error in TQelGameEngine.<operation>!") and gives the failure value.
template <class R, class F>
R Guarded(std::string_view operation, R failed, F&& body)
{
    return QelGuardOr("Exception error in TQelGameEngine." + std::string(operation) + "!", std::move(failed),
                      std::forward<F>(body));
}

std::vector<TQelXMLTag*> Profiles(const TQelXMLTag& list)
{
    std::vector<TQelXMLTag*> profiles;
    for (const auto& child : list.Children)
        if (child->Name == "Player")
            profiles.push_back(child.get());
    return profiles;
}

// Names are compared and shown as the name edit would have taken them.
std::string NameOf(const TQelXMLTag& profile)
{
    return CutPlayerName(DecodeNameValue(profile.AttributeValue("Name")));
}

// A name longer than the edit takes (a damaged or hand-edited file) is written back cut,
// so the file holds what the game shows and compares.
void CutStoredNames(TQelXMLTag& list)
{
    for (TQelXMLTag* profile : Profiles(list)) {
        const std::string stored = profile->AttributeValue("Name");
        const std::string name = NameOf(*profile);
        if (DecodeNameValue(stored) != name)
            profile->GetAttributeByName("Name")->SetValue(EncodeNameValue(name));
    }
}

TQelXMLTag* FindProfile(const TQelXMLTag& list, std::string_view name, int32_t* index = nullptr)
{
    auto profiles = Profiles(list);
    for (size_t i = 0; i < profiles.size(); ++i)
        if (NameOf(*profiles[i]) == name) {
            if (index)
                *index = static_cast<int32_t>(i);
            return profiles[i];
        }
    return nullptr;
}

int32_t CurrentIndex(const TQelXMLTag& list)
{
    const auto* attribute = list.GetAttributeByName("CurrentPlayer");
    return attribute ? LeadingInt(attribute->Value) : -1;
}

// The profile a load reads: the current one, the first when the index lies outside the
// list; none when no profile is current.
TQelXMLTag* CurrentProfile(const TQelXMLTag& list)
{
    auto profiles = Profiles(list);
    int32_t index = CurrentIndex(list);
    if (index == -1 || profiles.empty())
        return nullptr;
    if (index < 0 || index >= static_cast<int32_t>(profiles.size()))
        index = 0;
    return profiles[static_cast<size_t>(index)];
}

// The profile a save writes: the one that was loaded when it has that name (a file edited
// by hand may hold a name twice), else the first of that name.
TQelXMLTag* ProfileToSave(const TQelXMLTag& list, std::string_view name)
{
    TQelXMLTag* current = CurrentProfile(list);
    if (current && NameOf(*current) == name)
        return current;
    return FindProfile(list, name);
}

// Every child of that name, so that the one appended next is the one read back.
void DeleteChildren(TQelXMLTag& tag, std::string_view name)
{
    std::erase_if(tag.Children, [name](const auto& child) { return child->Name == name; });
}

void SetCurrentIndex(TQelXMLTag& list, int32_t index)
{
    if (auto* attribute = list.GetAttributeByName("CurrentPlayer"))
        attribute->SetValue(IntToStr(index));
    else
        list.AddAttribute("CurrentPlayer", IntToStr(index));
}

TQelXMLTag* AppendProfile(TQelXMLTag& list, const std::string& name)
{
    TQelXMLTag* profile = list.AddChild("Player");
    profile->AddAttribute("Name", EncodeNameValue(name));
    return profile;
}

// Whether the XML writer's output for this name reads back as the same name.
bool IsPlainName(std::string_view name)
{
    if (name.empty())
        return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' || c == ':'))
            return false;
    return true;
}

// Control characters other than tab: a plain file holding one would read back as scrambled.
bool IsBreaking(char c)
{
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
}

// In values they are written the way player names write them, so a name stays the same.
void EscapeControls(std::string& value)
{
    if (std::none_of(value.begin(), value.end(), IsBreaking))
        return;
    std::string out;
    for (char c : value)
        out += IsBreaking(c) ? "&#" + IntToStr(static_cast<unsigned char>(c)) + ";" : std::string(1, c);
    value = std::move(out);
}

// A damaged file can leave elements or attributes whose names the reader made from junk
// ("abc/", "!--x"), and control characters in values; written back they would read as
// something else (a self-closing tag, a comment swallowing the rest, a plain file taken
// for a scrambled one) and move or lose the profiles. They carry nothing the game reads,
// so they are left out of the file.
void DropUnwritable(TQelXMLTag& tag)
{
    std::erase_if(tag.Attributes, [](const auto& attribute) { return !IsPlainName(attribute->Name); });
    std::erase_if(tag.Children, [](const auto& child) { return !IsPlainName(child->Name); });
    for (auto& attribute : tag.Attributes)
        EscapeControls(attribute->Value);
    std::erase_if(tag.Text, IsBreaking);
    for (auto& child : tag.Children)
        DropUnwritable(*child);
}

std::string LocalDateStamp()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

}  // namespace

TPlayersFile::TPlayersFile(fs::path userFolder, TGameLog& log, IWidgetAccess& widgets, const TEpisods& episods,
                           const TShop& shop)
    : DateStamp(LocalDateStamp), folder_(std::move(userFolder)), log_(log), widgets_(widgets), episods_(episods),
      shop_(shop)
{
}

fs::path TPlayersFile::Path() const
{
    if (auto existing = ResolveFileNoCase(folder_, kFileName))
        return *existing;
    return folder_ / std::string(kFileName);
}

bool TPlayersFile::Exists() const
{
    return ResolveFileNoCase(folder_, kFileName).has_value();
}

TPlayersFile::TOpen TPlayersFile::Open(TQelParser& document, TQelXMLTag*& list) const
{
    auto path = ResolveFileNoCase(folder_, kFileName);
    if (!path)
        return TOpen::Missing;
    std::string error;
    if (!LoadDataXml(*path, kDataKey, document, &error))
        throw TQelException(error);
    if (document.ChildCount() == 0)
        throw TQelException(std::string(kNoTags));
    list = document.GetChild(0);
    if (list->Name != kListName)
        throw TQelException("\"" + path->filename().string() + "\" holds no " + std::string(kListName));
    CutStoredNames(*list);
    return TOpen::Ready;
}

void TPlayersFile::Write(TQelParser& document) const
{
    DropUnwritable(document);
    std::string error;
    if (!SaveDataXml(document, Path(), kDataKey, WritePlain, &error))
        throw TQelException(error);
}

bool TPlayersFile::SetAside(const fs::path& path, const std::string& why)
{
    const std::string base = path.filename().string() + ".bad-" + DateStamp();
    fs::path target = folder_ / base;
    std::error_code ec;
    for (int n = 2; fs::exists(target, ec); ++n)
        target = folder_ / (base + "-" + IntToStr(n));
    fs::rename(path, target, ec);
    if (ec) {
        log_.WriteLog("Error LoadPlayer: \"" + path.filename().string() + "\" " + why + " and could not be moved aside (" +
                      ec.message() + ")");
        return false;
    }
    log_.WriteLog("Error LoadPlayer: \"" + path.filename().string() + "\" " + why + "; moved aside as \"" +
                  target.filename().string() + "\"");
    return true;
}

TLoadResult TPlayersFile::LoadPlayer(TPlayer& player)
{
    return Guarded("LoadPlayer", TLoadResult::Failed, [&] {
        auto path = ResolveFileNoCase(folder_, kFileName);
        if (!path) {
            player.Name.clear();
            player.NoPlayersFile = true;
            return TLoadResult::NoFile;
        }
        TQelParser document;
        std::string error;
        if (!LoadDataXml(*path, kDataKey, document, &error))
            throw TQelException(error);
        // A damaged, truncated or foreign file would lose every profile if it were
        // overwritten; keep it beside the new one for whoever wants to recover it.
        const char* damage = nullptr;
        if (document.ChildCount() == 0)
            damage = "holds no profiles";
        else if (document.GetChild(0)->Name != kListName)
            damage = "is not a profile file";
        if (damage) {
            SetAside(*path, damage);
            player.Name.clear();
            player.NoPlayersFile = true;
            return TLoadResult::SetAside;
        }
        player.NoPlayersFile = false;
        const TQelXMLTag* current = CurrentProfile(*document.GetChild(0));
        if (!current) {
            player.Name.clear();
            SetCaption(widgets_, "WYourName_EYourName", "");
            return TLoadResult::AskName;
        }
        const TQelXMLTag& profile = *current;
        player.Name = NameOf(profile);
        DrawCat(player.Name);
        static const TQelXMLTag empty("CurrentState", nullptr, {});
        const TQelXMLTag* state = profile.GetChildByName("CurrentState");
        ReadPlayerState(state ? *state : empty, player);
        RefreshPlayerDerived(player, episods_, shop_);
        return TLoadResult::Loaded;
    });
}

TProfileResult TPlayersFile::SavePlayerState(TPlayer& player, TSaveMode mode)
{
    return Guarded("SavePlayerState", TProfileResult::Failed, [&] {
        TQelParser document;
        TQelXMLTag* list = nullptr;
        if (Open(document, list) == TOpen::Missing)
            return TProfileResult::NoFile;
        TQelXMLTag* profile = player.Name.empty() ? nullptr : ProfileToSave(*list, CutPlayerName(player.Name));
        if (profile) {
            TQelXMLTag* state = profile->GetChildByName("CurrentState");
            switch (mode) {
            case TSaveMode::Full: {
                player.MaxEpisod = std::max(player.MaxEpisod, player.CurrentEpisod);
                player.MaxKostum = std::max(1, *std::max_element(player.Kostums.begin(), player.Kostums.end()));
                if (const TEpisod* episod = episods_.Episod(player.CurrentEpisod))
                    player.MaxKostum =
                        std::min(player.MaxKostum, static_cast<int32_t>(episod->LevelFishes.size()) + 1);
                DeleteChildren(*profile, "CurrentState");
                WritePlayerState(*profile->AddChild("CurrentState"), player);
                break;
            }
            case TSaveMode::Instructions:
                if (state) {
                    DeleteChildren(*state, "ShowInstructions");
                    WriteShowInstructions(*state, player);
                }
                break;
            case TSaveMode::Hints:
                if (state) {
                    DeleteChildren(*state, "ShowHints");
                    WriteShowHints(*state, player);
                }
                break;
            case TSaveMode::Outfits:
                if (state) {
                    DeleteChildren(*state, "Kostums");
                    WriteKostums(*state, player);
                }
                break;
            case TSaveMode::Rewrite:
                break;
            }
        }
        Write(document);
        return profile || mode == TSaveMode::Rewrite ? TProfileResult::Done : TProfileResult::NoProfile;
    });
}

TProfileResult TPlayersFile::MakeNewPlayersFile(const TPlayer& player)
{
    if (player.Name.empty())
        return TProfileResult::EmptyName;
    const std::string name = CutPlayerName(player.Name);
    return Guarded("MakeNewPlayersFile", TProfileResult::Failed, [&] {
        TQelParser document;
        TQelXMLTag* list = nullptr;
        if (Open(document, list) == TOpen::Missing) {
            list = document.AddChild(std::string(kListName));
            list->AddAttribute("CurrentPlayer", "0");
            AppendProfile(*list, name)->AddChild("CurrentState");
        } else {
            int32_t index = -1;
            if (!FindProfile(*list, name, &index)) {
                AppendProfile(*list, name)->AddChild("CurrentState");
                index = static_cast<int32_t>(Profiles(*list).size()) - 1;
            }
            SetCurrentIndex(*list, index);
        }
        Write(document);
        return TProfileResult::Done;
    });
}

TProfileResult TPlayersFile::AddNewPlayer(const std::string& typed)
{
    const std::string name = CutPlayerName(typed);
    if (name.empty())
        return TProfileResult::EmptyName;
    return Guarded("AddNewPlayer", TProfileResult::Failed, [&] {
        TQelParser document;
        TQelXMLTag* list = nullptr;
        if (Open(document, list) == TOpen::Missing)
            return TProfileResult::NoFile;
        if (FindProfile(*list, name))
            return TProfileResult::NameTaken;
        AppendProfile(*list, name);
        Write(document);
        return TProfileResult::Done;
    });
}

TProfileResult TPlayersFile::SelectPlayer(TPlayer& player, const std::string& typed)
{
    const std::string name = CutPlayerName(typed);
    TProfileResult result = Guarded("SelectPlayer", TProfileResult::Failed, [&] {
        TQelParser document;
        TQelXMLTag* list = nullptr;
        if (Open(document, list) == TOpen::Missing)
            return TProfileResult::NoFile;
        int32_t index = -1;
        if (FindProfile(*list, name, &index)) {
            player.Name = name;
            SetCurrentIndex(*list, index);
        }
        DrawCat(player.Name);
        Write(document);
        return index >= 0 ? TProfileResult::Done : TProfileResult::NoProfile;
    });
    if (result == TProfileResult::Done || result == TProfileResult::NoProfile)
        if (LoadPlayer(player) == TLoadResult::Failed)
            return TProfileResult::Failed;
    return result;
}

TProfileResult TPlayersFile::RenamePlayer(TPlayer& player, const std::string& typed)
{
    const std::string newName = CutPlayerName(typed);
    if (newName.empty())
        return TProfileResult::EmptyName;
    TProfileResult result = Guarded("RenamePlayer", TProfileResult::Failed, [&] {
        TQelParser document;
        TQelXMLTag* list = nullptr;
        if (Open(document, list) == TOpen::Missing)
            return TProfileResult::NoFile;
        TQelXMLTag* profile = CurrentProfile(*list);
        if (!profile)
            return TProfileResult::NoProfile;
        if (FindProfile(*list, newName))
            return TProfileResult::NameTaken;
        if (auto* attribute = profile->GetAttributeByName("Name"))
            attribute->SetValue(EncodeNameValue(newName));
        else
            profile->AddAttribute("Name", EncodeNameValue(newName));
        Write(document);
        return TProfileResult::Done;
    });
    if (result == TProfileResult::Done && LoadPlayer(player) == TLoadResult::Failed)
        return TProfileResult::Failed;
    return result;
}

TProfileResult TPlayersFile::DeletePlayer(TPlayer& player, const std::string& typed)
{
    const std::string name = CutPlayerName(typed);
    return Guarded("DeletePlayer", TProfileResult::Failed, [&] {
        TQelParser document;
        TQelXMLTag* list = nullptr;
        if (Open(document, list) == TOpen::Missing)
            return TProfileResult::NoFile;
        TQelXMLTag* profile = FindProfile(*list, name);
        if (profile) {
            auto it = std::find_if(list->Children.begin(), list->Children.end(),
                                   [profile](const auto& child) { return child.get() == profile; });
            list->Children.erase(it);
        }
        if (Profiles(*list).empty())
            player.Name.clear();
        if (auto* current = list->GetAttributeByName("CurrentPlayer"))
            current->SetValue("0");
        Write(document);
        return profile ? TProfileResult::Done : TProfileResult::NoProfile;
    });
}

TPlayersGrid TPlayersFile::FillPlayersGrid()
{
    return Guarded("FillPlayersGrid", TPlayersGrid{}, [&] {
        TPlayersGrid grid;
        TQelParser document;
        TQelXMLTag* list = nullptr;
        if (Open(document, list) == TOpen::Missing)
            return grid;
        for (const TQelXMLTag* profile : Profiles(*list)) {
            TPlayerRow row;
            row.Name = NameOf(*profile);
            row.Cell = NameCellText(row.Name);
            const TQelXMLTag* state = profile->GetChildByName("CurrentState");
            const TQelXMLTag* level = state ? state->GetChildByName("CurrentLevel") : nullptr;
            const TQelXMLTag* episod = state ? state->GetChildByName("CurrentEpisod") : nullptr;
            if (level && episod) {
                row.DayCaption = GetLevelLabel(widgets_, LeadingInt(level->Text), true);
                row.ShopName = GetCaption(widgets_, "WResource_LShopName") +
                               IntToStr(static_cast<int64_t>(LeadingInt(episod->Text)) + 1);
            } else {
                row.DayCaption = GetLevelLabel(widgets_, 0, true);
                row.ShopName = GetCaption(widgets_, "WResource_LShopName1");
            }
            const TQelXMLTag* score = state ? state->GetChildByName("CurrentScore") : nullptr;
            row.Score = IntToStr(score ? HoldMoney(LeadingInt(score->Text)) : 0);
            grid.Rows.push_back(std::move(row));
        }
        const int32_t current = CurrentIndex(*list);
        const int32_t rows = static_cast<int32_t>(grid.Rows.size());
        grid.Selected = current == -1 || rows == 0 ? -1 : (current >= 0 && current < rows ? current : 0);
        return grid;
    });
}

void TPlayersFile::ShowPlayerRow(const TPlayerRow& row)
{
    SetCaption(widgets_, "WChangePlayer_LLevelCount", row.DayCaption);
    SetCaption(widgets_, "WChangePlayer_LShopName", row.ShopName);
    SetCaption(widgets_, "WChangePlayer_LScoreCount", GetCaption(widgets_, "WResource_LCurrency") + row.Score);
}

void TPlayersFile::DrawCat(const std::string& name)
{
    SetCaption(widgets_, "WTitle_LWelcome", GetCaption(widgets_, "WResource_LWelcome") + " " + name);
}

std::optional<std::vector<TRunningScore>> TPlayersFile::RunningScores()
{
    using TResult = std::optional<std::vector<TRunningScore>>;
    return Guarded(".MakeHighScores", TResult(std::vector<TRunningScore>{}), [&]() -> TResult {
        TQelParser document;
        TQelXMLTag* list = nullptr;
        if (Open(document, list) == TOpen::Missing)
            return std::nullopt;
        std::vector<TRunningScore> scores;
        for (const TQelXMLTag* profile : Profiles(*list)) {
            const TQelXMLTag* state = profile->GetChildByName("CurrentState");
            const TQelXMLTag* money = state ? state->GetChildByName("CurrentScore") : nullptr;
            if (!money)
                continue;
            const int32_t score = HoldMoney(LeadingInt(money->Text));
            if (score != 0 && StateFlag(*state, "ShowInHighScores", true))
                scores.push_back({NameOf(*profile), score});
        }
        return scores;
    });
}

TProfileResult TPlayersFile::HideFromHighScores()
{
    return Guarded(".MakeHighScores", TProfileResult::Failed, [&] {
        TQelParser document;
        TQelXMLTag* list = nullptr;
        if (Open(document, list) == TOpen::Missing)
            return TProfileResult::NoFile;
        for (TQelXMLTag* profile : Profiles(*list))
            if (TQelXMLTag* state = profile->GetChildByName("CurrentState")) {
                DeleteChildren(*state, "ShowInHighScores");
                state->AddChild("ShowInHighScores", "False");
            }
        Write(document);
        return TProfileResult::Done;
    });
}
