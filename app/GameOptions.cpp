// Reading and writing the options of options.cfg.
#include "app/GameOptions.h"

#include "foundation/Text.h"
#include "platform/IniFile.h"

#include <algorithm>


TGameOptions ReadGameOptions(const TIniFile& ini)
{
    const std::string_view s = kOptionsSection;
    TGameOptions o;
    o.ScreenWidth = ini.ReadInteger(s, "ScreenWidth", o.ScreenWidth);
    o.ScreenHeight = ini.ReadInteger(s, "ScreenHeight", o.ScreenHeight);
    o.WindowModeX = ini.ReadInteger(s, "WindowModeX", o.WindowModeX);
    o.WindowModeY = ini.ReadInteger(s, "WindowModeY", o.WindowModeY);
    o.SoundVolume = std::clamp(ini.ReadInteger(s, "SoundVolume", o.SoundVolume), 0, 100);
    o.MusicVolume = std::clamp(ini.ReadInteger(s, "MusicVolume", o.MusicVolume), 0, 100);
    o.DebugMode = ini.ReadInteger(s, "DebugMode", o.DebugMode);
    o.FullScreenMode = ini.ReadInteger(s, "FullScreenMode", o.FullScreenMode);
    o.BitsPerPixel = ini.ReadInteger(s, "BitsPerPixel", o.BitsPerPixel) == 16 ? 16 : 32;
    o.GameFolderDir = ini.ReadString(s, "GameFolderDir", "");
    o.HintsMode = ini.ReadInteger(s, "HintsMode", o.HintsMode);
    o.FromFileFolder = ini.ReadBool(s, "FromFileFolder", true);
    o.StaySelect = ini.ReadInteger(s, "StaySelect", o.StaySelect);
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
