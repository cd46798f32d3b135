// How game code asks for sound: events by name (looked up in "Sounds.xml"), sounds of the
// sound list played directly, and music changes. The sound list implements it; tests and
// headless tools use TRecordingSounds.
#pragma once

#include "foundation/Text.h"

#include <cstdint>
#include <string>
#include <vector>

class ISoundEvents {
public:
    virtual ~ISoundEvents() = default;

    // Queues the event; a startTime of -1 means the current frame. The volume argument is
    // accepted for the callers' sake and not used: the event's own volume applies.
    virtual void AddSoundEffect(const std::string& event, int volume = 100, int64_t startTime = -1) = 0;
    // Plays a loaded sound by its list name, without the event table.
    virtual void PlaySound(const std::string& soundName, int volume = 100) = 0;
    // Fades the current music out, waits, and starts another module at an order.
    virtual void ChangeMusic(const std::string& music, int fadeOutMs, int delayMs, int position, int fadeInMs) = 0;
    // The order a module starts at for a start pattern ("12", "4,6", "50%").
    virtual int32_t MusicStartOrder(const std::string& music, const std::string& pattern) = 0;
};

class TRecordingSounds final : public ISoundEvents {
public:
    void AddSoundEffect(const std::string& event, int, int64_t) override { Events.push_back(event); }
    void PlaySound(const std::string& soundName, int) override { Sounds.push_back(soundName); }
    void ChangeMusic(const std::string& music, int, int, int position, int) override
    {
        Music.push_back(music + "@" + std::to_string(position));
    }
    // Without modules only a plain order can be known.
    int32_t MusicStartOrder(const std::string&, const std::string& pattern) override { return LeadingInt(pattern); }

    std::vector<std::string> Events;
    std::vector<std::string> Sounds;
    std::vector<std::string> Music;  // "name@order"
};
