// Finding, applying and choosing the interface's translations.
#include "screens/LanguageWindow.h"

#include "foundation/Files.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "graphics/SurfEngine.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"
#include "interface/QelLabel.h"

#include <algorithm>
#include <array>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr const char* kWindow = "WLanguage";
constexpr const char* kPanel = "WLanguage_TFNames";
constexpr const char* kButtonPrefix = "WLanguage_RB";
constexpr const char* kModelButton = "WLanguage_RBENU";
constexpr const char* kEnglish = "enu";
constexpr const char* kLanguageKey = "LangStr";
constexpr int kCodeLength = 3;
// The buttons stand one line apart; after five a second column starts level with English.
constexpr int kButtonLeft = 30;
constexpr int kButtonStep = 24;
constexpr int kRowsPerColumn = 5;
constexpr int kColumnStep = 200;

constexpr std::array<TScreenMethod<TLanguageWindow>, 1> kMethods{{
    {"WLanguage_BOk_MouseUp", &TLanguageWindow::WLanguage_BOk_MouseUp},
}};

std::string UpperCode(std::string_view code)
{
    std::string upper(code);
    for (char& ch : upper)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return upper;
}

// The number of a language file name between its first "_" and the next "."; 0 without one.
int ListNumber(std::string_view name)
{
    const size_t underscore = name.find('_');
    if (underscore == std::string_view::npos)
        return 0;
    const size_t dot = name.find('.', underscore + 1);
    const std::string_view digits =
        name.substr(underscore + 1, dot == std::string_view::npos ? std::string_view::npos : dot - underscore - 1);
    const std::optional<int64_t> number = StrictInt(digits);
    return number && *number >= 0 && *number <= 1'000'000 ? static_cast<int>(*number) : 0;
}

bool HasLanguageCode(std::string_view lowerName)
{
    if (lowerName.size() < static_cast<size_t>(kCodeLength))
        return false;
    for (int i = 0; i < kCodeLength; ++i)
        if (lowerName[static_cast<size_t>(i)] < 'a' || lowerName[static_cast<size_t>(i)] > 'z')
            return false;
    return true;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// "[name]" gives name; anything else nothing.
std::optional<std::string> SectionOf(std::string_view line)
{
    const std::string_view trimmed = TrimView(line);
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']')
        return std::nullopt;
    return Trim(trimmed.substr(1, trimmed.size() - 2));
}

bool IsKeyLine(std::string_view line, std::string_view key, std::string* value = nullptr)
{
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || TrimView(line).starts_with(';'))
        return false;
    if (!EqualsNoCase(TrimView(line.substr(0, equals)), key))
        return false;
    if (value)
        *value = Trim(line.substr(equals + 1));
    return true;
}

std::string ReadWholeFile(const fs::path& file)
{
    std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(file);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

}  // namespace

std::optional<std::string> ReadSettingValue(const fs::path& file, std::string_view section, std::string_view key)
{
    bool inSection = false;
    for (const std::string& line : SplitLines(ReadWholeFile(file))) {
        if (std::optional<std::string> name = SectionOf(line)) {
            inSection = EqualsNoCase(*name, section);
            continue;
        }
        std::string value;
        if (inSection && IsKeyLine(line, key, &value))
            return value;
    }
    return std::nullopt;
}

bool WriteSettingValue(const fs::path& file, std::string_view section, std::string_view key, std::string_view value,
                       std::string* error)
{
    std::vector<std::string> lines = SplitLines(ReadWholeFile(file));
    const std::string keyLine = std::string(key) + "=" + std::string(value);
    bool inSection = false;
    bool done = false;
    std::optional<size_t> sectionEnd;  // where a missing key of the section goes
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        if (std::optional<std::string> name = SectionOf(lines[i])) {
            inSection = EqualsNoCase(*name, section);
            if (inSection)
                sectionEnd = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        if (IsKeyLine(lines[i], key)) {
            lines[i] = keyLine;
            done = true;
        } else if (!Trim(lines[i]).empty()) {
            sectionEnd = i + 1;
        }
    }
    if (!done) {
        if (sectionEnd) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), keyLine);
        } else {
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(keyLine);
        }
    }
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return WriteFileAtomic(file, text, error);
}

std::vector<std::string> LanguageFileNames(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return names;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (AsciiLower(name).ends_with("lng"))
            names.push_back(name);
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return AsciiLower(a) < AsciiLower(b); });
    return names;
}

std::vector<std::string> ListedLanguages(const std::vector<std::string>& names)
{
    struct TEntry {
        std::string Code;
        int Number;
    };
    std::vector<TEntry> entries;
    for (const std::string& name : names) {
        const std::string lower = AsciiLower(name);
        // A code is three letters; "ab.lng" names no language a button could stand for.
        if (!HasLanguageCode(lower) || lower.find("scn") != std::string::npos)
            continue;
        entries.push_back({lower.substr(0, kCodeLength), ListNumber(name)});
    }
    // The smallest number first, the first in scan order among equals.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TEntry& a, const TEntry& b) { return a.Number < b.Number; });
    std::vector<std::string> codes;
    for (const TEntry& entry : entries)
        codes.push_back(entry.Code);
    return codes;
}

std::vector<std::string> TranslationFiles(const std::vector<std::string>& names, std::string_view code)
{
    std::vector<std::string> files;
    for (const std::string& name : names) {
        const std::string lower = AsciiLower(name);
        if (lower.size() >= static_cast<size_t>(kCodeLength) &&
            EqualsNoCase(lower.substr(0, kCodeLength), code) && lower.find("levels") == std::string::npos)
            files.push_back(name);
    }
    return files;
}

std::string LanguageName(std::string_view code)
{
    struct TName {
        const char* Code;
        const char* Name;
    };
    static constexpr TName kNames[] = {
        {"enu", "English"},    {"deu", "Deutsch"},   {"rus", "Русский"},   {"fra", "Français"},
        {"ita", "Italiano"},   {"esp", "Español"},   {"spa", "Español"},   {"nld", "Nederlands"},
        {"pol", "Polski"},     {"ptb", "Português"}, {"por", "Português"}, {"ces", "Čeština"},
        {"csy", "Čeština"},    {"sve", "Svenska"},   {"swe", "Svenska"},   {"ukr", "Українська"},
    };
    for (const TName& row : kNames)
        if (EqualsNoCase(row.Code, code))
            return row.Name;
    return UpperCode(code);
}

TLanguageWindow::TLanguageWindow(TScreenContext& context)
    : c_(context), methods_(context.Methods, *this, std::span<const TScreenMethod<TLanguageWindow>>(kMethods))
{
}

void TLanguageWindow::Start()
{
    const std::string stored = ReadSettingValue(SettingsFile(), kSettingsSection, kLanguageKey).value_or("");
    LanguageCode = AsciiLower(stored.substr(0, std::min<size_t>(stored.size(), kCodeLength)));
    PreviousLanguageCode = LanguageCode;
    LogAndCarryOn(c_.Log, "Error BuildLanguageList", [&] { BuildLanguageList(); });
}

void TLanguageWindow::BuildLanguageList()
{
    TQelInterfaceEngine& ui = c_.Interface;
    auto* panel = dynamic_cast<TQelForm*>(ui.GetObjectByName(kPanel));
    TQelObject* model = ui.GetObjectByName(kModelButton);
    if (!panel || !model)
        return;
    for (TQelInterfaceObject* child : panel->Childs)
        if (dynamic_cast<TQelRadioButton*>(child))
            child->SetVisible(false);
    ui.SetObjectProperty(kModelButton, "Visible", "True");
    ui.SetObjectProperty(kModelButton, "Left", IntToStr(kButtonLeft));

    const std::vector<std::string> codes = ListedLanguages(LanguageFileNames(LanguageFolder()));
    const int modelTop = static_cast<int>(VariantToInt(ui.GetObjectValue(kModelButton, "Top")));
    int made = 0;
    for (const std::string& code : codes) {
        if (code == kEnglish)
            continue;
        const std::string name = kButtonPrefix + UpperCode(code);
        if (ui.GetObjectByName(name)) {
            ui.SetObjectProperty(name, "Visible", "True");
            ui.SetObjectProperty(name, "Left", IntToStr(kButtonLeft));
            continue;
        }
        if (ui.AddObject(name, kPanel, model->ClassName()) < 0)
            continue;
        // A copy of English in every published property but its own name and place.
        TQelObject* button = ui.GetObjectByName(name);
        for (const TQelPropInfo* property : model->Properties().All()) {
            if (EqualsNoCase(property->Name, "Name") || EqualsNoCase(property->Name, "ParentName"))
                continue;
            try {
                SetPropValue(*button, *property, VariantToString(GetPropValue(*model, *property)));
            } catch (const std::exception&) {
                // A property the copy cannot take keeps its default.
            }
        }
        ++made;
        const int column = made <= kRowsPerColumn ? 0 : 1;
        const int top = column == 0 ? modelTop + kButtonStep * made
                                    : modelTop + kButtonStep * made - kButtonStep * (kRowsPerColumn + 1);
        ui.SetObjectProperty(name, "Checked", "False");
        ui.SetObjectProperty(name, "Caption", LanguageName(code));
        ui.SetObjectProperty(name, "Top", IntToStr(top));
        ui.SetObjectProperty(name, "Left", IntToStr(kButtonLeft + kColumnStep * column));
        ui.SetObjectProperty(name, "Visible", "True");
        columns_.emplace_back(name, column);
    }
    ui.SetParents();
    panel->CollectChilds();
    if (auto* window = dynamic_cast<TQelForm*>(ui.GetObjectByName(kWindow))) {
        window->CollectChilds();
        window->Refresh();
    }
}

void TLanguageWindow::ArrangeLanguageButtons()
{
    TQelInterfaceEngine& ui = c_.Interface;
    if (!ui.GetObjectByName(kModelButton))
        return;
    const int left = static_cast<int>(VariantToInt(ui.GetObjectValue(kModelButton, "Left")));
    const std::string width = VariantToString(ui.GetObjectValue(kModelButton, "Width"));
    for (const auto& [name, column] : columns_) {
        if (!ui.GetObjectByName(name))
            continue;
        ui.SetObjectProperty(name, "Left", IntToStr(left + kColumnStep * column));
        ui.SetObjectProperty(name, "Width", width);
    }
}

bool TLanguageWindow::ApplyFiles(const std::vector<std::string>& names)
{
    bool found = false;
    for (const std::string& name : TranslationFiles(names, LanguageCode)) {
        const fs::path file = LanguageFolder() / name;
        LogAndCarryOn(c_.Log, "Error LoadLanguagePictures " + name, [&] { LoadLanguagePictures(file); });
        LogAndCarryOn(c_.Log, "Error LoadModificator " + name, [&] { c_.Interface.LoadModificator(file); });
        ArrangeLanguageButtons();
        found = true;
    }
    return found;
}

void TLanguageWindow::ApplyLanguage()
{
    std::error_code ec;
    if (!fs::is_directory(LanguageFolder(), ec))
        return;
    c_.Interface.RestoreModificators();
    const std::vector<std::string> names = LanguageFileNames(LanguageFolder());
    // English is the interface file itself: it needs no file of its own.
    if (!ApplyFiles(names) && !EqualsNoCase(LanguageCode, kEnglish)) {
        if (!LanguageCode.empty())
            c_.Log.WriteLog("Error ApplyLanguage: no translation for \"" + LanguageCode + "\", English instead");
        LanguageCode = kEnglish;
        LogAndCarryOn(c_.Log, "Error SaveLanguageToReg", [&] { SaveLanguageToReg(); });
        ApplyFiles(names);
    }
    c_.Shell.Language = UpperCode(LanguageCode);
    c_.Interface.SetObjectProperty(kButtonPrefix + UpperCode(LanguageCode), "Checked", "True");
    c_.Interface.RefreshForms();
}

void TLanguageWindow::SaveLanguageToReg()
{
    if (LanguageCode.size() < static_cast<size_t>(kCodeLength))
        return;
    std::string error;
    if (!WriteSettingValue(SettingsFile(), kSettingsSection, kLanguageKey, LanguageCode.substr(0, kCodeLength), &error))
        throw TQelException("Exception Error in TQelGameEngine.SaveLanguageToReg. " + error);
}

void TLanguageWindow::LoadLanguagePictures(const fs::path& file)
{
    TQelParser document;
    document.LoadFromText(ReadWholeFile(file));
    const TQelXMLTag* root = document.GetChildByName("QelInterface");
    if (!root)
        return;
    bool skipFirst = false;
    for (const auto& child : root->Children)
        if (child->Name == "o" && child->AttributeValue("c") == "TQelDefaults")
            skipFirst = true;
    for (size_t i = skipFirst ? 1 : 0; i < root->Children.size(); ++i) {
        const TQelXMLTag& object = *root->Children[i];
        if (object.Name != "o" || object.Children.empty())
            continue;
        for (const auto& p : object.Children) {
            const std::string property = p->AttributeValue("n");
            if (property != "Picture" && property != "MouseOverPicture" && property != "MouseDownPicture")
                continue;
            const std::string picture = Trim(p->Text);
            if (picture.empty())
                continue;
            // Names from a data file stay inside the language folder.
            if (!IsBareFileName(picture)) {
                c_.Log.WriteLog("Error LoadLanguagePictures: \"" + picture + "\" is not a bare file name");
                continue;
            }
            std::error_code ec;
            const fs::path path = LanguageFolder() / picture;
            if (!fs::is_regular_file(path, ec))
                continue;
            // Loaded once under its own name; the picture it replaces stays loaded, so
            // every widget that still shows that one draws on.
            if (c_.Surfaces.IndexOfSurface(picture) >= 0)
                continue;
            const std::string upper = UpperCode(picture);
            const bool loaded = upper.ends_with("JPG") ? c_.Surfaces.LoadJpgFromFile(picture, path)
                                                       : upper.ends_with("PNG") && c_.Surfaces.LoadPngFromFile(picture, path);
            if (!loaded)
                c_.Log.WriteLog("Error LoadLanguagePictures: " + picture + " does not load");
        }
    }
}

void TLanguageWindow::WLanguage_BOk_MouseUp()
{
    TQelInterfaceEngine& ui = c_.Interface;
    std::string chosen;
    if (auto* panel = dynamic_cast<TQelForm*>(ui.GetObjectByName(kPanel)))
        for (TQelInterfaceObject* child : panel->Childs)
            if (auto* button = dynamic_cast<TQelRadioButton*>(child);
                button && button->Checked() && button->Name().starts_with(kButtonPrefix))
                chosen = button->Name().substr(std::string_view(kButtonPrefix).size(), kCodeLength);
    if (!chosen.empty() && !EqualsNoCase(chosen, LanguageCode)) {
        PreviousLanguageCode = LanguageCode;
        LanguageCode = AsciiLower(chosen);
        ApplyLanguage();
        LogAndCarryOn(c_.Log, "Error SaveLanguageToReg", [&] { SaveLanguageToReg(); });
        if (OnLanguageChanged)
            OnLanguageChanged();
    }
    if (const auto* window = dynamic_cast<const TQelForm*>(ui.GetObjectByName(kWindow)); window && ui.IsShown(window))
        ui.HideModal(kWindow);
    c_.Commands.MarkWholeScreen();
}
