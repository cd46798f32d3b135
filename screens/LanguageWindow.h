// The interface's language: the translations found in the "lng" folder beside the program,
// the language window "WLanguage" with one radio button per language, and the chosen code
// kept in the player's settings file so it survives restarts.
#pragma once

#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The per-user settings file beside options.cfg. It is kept apart from options.cfg because
// that file is replaced whole when its version changes, which must not forget the language.
inline constexpr const char* kSettingsFileName = "settings.cfg";
inline constexpr const char* kSettingsSection = "Software\\Orvanta\\Glimmora";

// The value of a key in a section of an INI-style file, both found without regard to case;
// nothing when the file, the section or the key is missing.
std::optional<std::string> ReadSettingValue(const std::filesystem::path& file, std::string_view section,
                                            std::string_view key);
// Sets the key through a temporary file, keeping every other line; false (error says why)
// when the file cannot be written.
bool WriteSettingValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                       std::string_view value, std::string* error = nullptr);

// The names of the folder's entries that count as language files (ending in "lng" in any
// case), sorted by name without regard to case; empty when there is no such folder.
std::vector<std::string> LanguageFileNames(const std::filesystem::path& folder);
// The codes of the language list, lower-cased, in button order: by the number between the
// first "_" and the next "." (0 without one), ties in name order; "scn" files are left out.
std::vector<std::string> ListedLanguages(const std::vector<std::string>& names);
// The files that make up the translation of a code; "levels" files are not translations.
std::vector<std::string> TranslationFiles(const std::vector<std::string>& names, std::string_view code);
// The name a language's button shows, in that language; the upper-case code for one we
// do not know.
std::string LanguageName(std::string_view code);

class TLanguageWindow {
public:
    explicit TLanguageWindow(TScreenContext& context);

    // Start-up: the code from the settings file and the language buttons.
    void Start();
    // Undoes the translation in force and applies the one of LanguageCode; a code without
    // files falls back on English, which is then saved.
    void ApplyLanguage();
    void BuildLanguageList();
    // The buttons follow the English one's place and width (a translation may move it),
    // each keeping its column.
    void ArrangeLanguageButtons();
    // Writes the code; raises TQelException when the settings file cannot be written.
    void SaveLanguageToReg();
    // Loads the pictures a translation file names from the "lng" folder, each under its
    // own name, so the picture of the language before stays for whoever still shows it.
    void LoadLanguagePictures(const std::filesystem::path& file);

    void WLanguage_BOk_MouseUp();

    // Told after the player switched languages: captions the game wrote from the resource
    // labels (the welcome line) are written again in the new language.
    std::function<void()> OnLanguageChanged;

    std::filesystem::path LanguageFolder() const { return c_.ProgramFolder / "lng"; }
    std::filesystem::path SettingsFile() const { return c_.UserFolder / kSettingsFileName; }

    // Three letters, compared without regard to case; empty until read.
    std::string LanguageCode;
    std::string PreviousLanguageCode;

private:
    bool ApplyFiles(const std::vector<std::string>& names);

    TScreenContext& c_;
    // The column of every button made for a language: 0 under English, 1 beside it.
    std::vector<std::pair<std::string, int>> columns_;
    TScreenMethods methods_;
};
