// Reading and writing the options of options.cfg.
#include "app/GameOptions.h"

#include "foundation/Text.h"
#include "platform/IniFile.h"

#include <algorithm>

TGameOptions ReadGameOptions(const TIniFile& ini, const TGameOptions& fallback)
{
    const std::string_view s = kOptionsSection;
    const TGameOptions& f = fallback;
    TGameOptions o;
    o.ScreenWidth = ini.ReadInteger(s, "ScreenWidth", f.ScreenWidth);
    o.ScreenHeight = ini.ReadInteger(s, "ScreenHeight", f.ScreenHeight);
    o.WindowModeX = ini.ReadInteger(s, "WindowModeX", f.WindowModeX);
    o.WindowModeY = ini.ReadInteger(s, "WindowModeY", f.WindowModeY);
    o.SoundVolume = std::clamp(ini.ReadInteger(s, "SoundVolume", f.SoundVolume), 0, 100);
    o.MusicVolume = std::clamp(ini.ReadInteger(s, "MusicVolume", f.MusicVolume), 0, 100);
    o.DebugMode = ini.ReadInteger(s, "DebugMode", f.DebugMode);
    o.FullScreenMode = ini.ReadInteger(s, "FullScreenMode", f.FullScreenMode);
    o.BitsPerPixel = ini.ReadInteger(s, "BitsPerPixel", f.BitsPerPixel) == 16 ? 16 : 32;
    o.GameFolderDir = ini.ReadString(s, "GameFolderDir", f.GameFolderDir);
    o.HintsMode = ini.ReadInteger(s, "HintsMode", f.HintsMode);
    o.FromFileFolder = ini.ReadBool(s, "FromFileFolder", f.FromFileFolder);
    o.StaySelect = ini.ReadInteger(s, "StaySelect", f.StaySelect);
    o.Version = ini.ReadString(s, "Version", "");
    if (!o.IsDebugMode())
        o.FromFileFolder = true;
    return o;
}

void WriteGameOptions(const TGameOptions& o, TIniFile& ini)
{
    const std::string_view s = kOptionsSection;
    ini.Write(s, "SoundVolume", IntToStr(o.SoundVolume));
    ini.Write(s, "MusicVolume", IntToStr(o.MusicVolume));
    ini.Write(s, "WindowModeX", IntToStr(o.WindowModeX));
    ini.Write(s, "WindowModeY", IntToStr(o.WindowModeY));
    ini.Write(s, "FullScreenMode", IntToStr(o.FullScreenMode));
    ini.Write(s, "BitsPerPixel", IntToStr(o.BitsPerPixel));
    ini.Write(s, "DebugMode", IntToStr(o.DebugMode));
    ini.Write(s, "GameFolderDir", o.GameFolderDir);
    ini.Write(s, "HintsMode", IntToStr(o.HintsMode));
    ini.Write(s, "FromFileFolder", o.FromFileFolder ? "true" : "false");
    ini.Write(s, "StaySelect", IntToStr(o.StaySelect));
    ini.Write(s, "Version", o.Version);
}

TIniFile CleanGameOptions(const TGameOptions& options, const TIniFile& previous)
{
    TIniFile clean;
    WriteGameOptions(options, clean);
    // The game never writes the screen size, only reads it; a player's own value stays.
    for (const char* key : {"ScreenWidth", "ScreenHeight"})
        if (auto value = previous.Read(kOptionsSection, key); value && StrictInt(*value))
            clean.Write(kOptionsSection, key, *value);
    return clean;
}
