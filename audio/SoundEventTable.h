// "Sounds.xml": which sound file each of the game's sound events plays, how loud, where in
// the stereo field, and how far the music steps back while it sounds. An element whose
// name is the event (the first one found, depth first) holds the file name as its text.
#pragma once

#include "foundation/QelParser.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

class TDataSource;

struct TSoundEventInfo {
    std::string SoundName;  // empty: the event plays nothing
    int Volume = 100;       // percent of the sample (or music) volume
    int Pan = 0;
    int ChangeMusicPercent = 0;
    int ChangeMusicDuration = 0;  // ms after the event's start
};

class TSoundEventTable {
public:
    // The table of the "Sounds" folder beside the program when it has the file, else the
    // game data's. When neither has it the table stays absent and every event plays
    // nothing. A file that is not a readable document raises
    // "Exception error in TQelGameEngine.LoadSoundsEvents!".
    void LoadSoundsEvents(const std::string& fileName, const std::filesystem::path& programFolder,
                          const TDataSource& data);
    // The same from the text of the file.
    void LoadSoundsEventsText(std::string_view text);
    bool Loaded() const { return document_ != nullptr; }

    std::string GetEventSoundName(std::string_view event) const;
    int GetEventSoundVolume(std::string_view event) const;
    int GetEventChangeMusicPercent(std::string_view event) const;
    int GetEventChangeMusicDuration(std::string_view event) const;
    int GetEventSoundPan(std::string_view event) const;
    // All five at once; the defaults for an event the table lacks.
    TSoundEventInfo Event(std::string_view event) const;

private:
    const TQelXMLTag* Find(std::string_view event) const;

    std::unique_ptr<TQelParser> document_;
};
