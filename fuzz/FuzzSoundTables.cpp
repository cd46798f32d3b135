// Feeds arbitrary bytes as "Sounds.xml" and "MusicPattern.xml" to their loaders, then
// looks events up, queues and plays them, and asks for start orders, on a library that
// accepts everything.
#include "audio/MusicPatterns.h"
#include "audio/SoundEngine.h"
#include "foundation/Clock.h"
#include "foundation/QelBaseClasses.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"

#include <string>
#include <string_view>

namespace {

class TAcceptingLibrary final : public IAudioLibrary {
public:
    uint32_t GetVersion() override { return kAudioLibraryVersion; }
    bool Init(int) override { return true; }
    bool Start() override { return true; }
    bool Pause() override { return true; }
    bool Stop() override { return true; }
    void Free() override {}
    void SetGlobalVolumes(int, int, int) override {}
    TAudioHandle SampleLoad(std::span<const uint8_t>, int) override { return ++next_; }
    void SampleFree(TAudioHandle) override {}
    TAudioHandle SamplePlayEx(TAudioHandle h, int, int) override { return h; }
    void SampleStop(TAudioHandle) override {}
    TAudioHandle MusicLoad(std::span<const uint8_t>) override { return ++next_; }
    void MusicFree(TAudioHandle) override {}
    bool MusicPlayEx(TAudioHandle, int) override { return true; }
    int MusicGetLength(TAudioHandle h) override { return static_cast<int>(h * 7 % 40); }
    void ChannelSetAttributes(TAudioHandle, int, int) override {}
    void ChannelSlideAttributes(TAudioHandle, int, int, int) override {}
    void ChannelStop(TAudioHandle) override {}

private:
    TAudioHandle next_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TManualClock clock;
    TGameLog log({}, clock);
    TRandom random(1);
    TAcceptingLibrary library;
    TSoundEngine engine(library, clock, random, log);

    TSoundEventTable events;
    try {
        events.LoadSoundsEventsText(text);
    } catch (const TQelException&) {
    }
    TMusicPatternTable music;
    music.LoadMusicPatternText(text, log);

    // Every element name and attribute value of the input is tried as an event, a sound
    // name and a pattern.
    for (const TMusicPatterns& entry : music.Items) {
        engine.List().LoadMusicFromStream({}, entry.Name, TSoundKind::Module);
        GetMusicPattern(entry.Name, engine.List(), library, entry.ID, random, &log);
        engine.ChangeMusic(entry.Name, 10, 0, 0, 10);
        for (const TMusicInsert& insert : entry.Negative)
            GetMusicPattern(insert.File, engine.List(), library, insert.File, random, &log);
    }
    for (const char* event : {"Click", "Goal", "Sounds", "MusicPattern"}) {
        const TSoundEventInfo info = events.Event(event);
        engine.List().LoadMusicFromStream({}, info.SoundName, TSoundKind::Sample);
        engine.AddSoundEffect(event);
    }
    for (int frame = 1; frame <= 3; ++frame) {
        clock.Advance(1000);
        engine.SetFrameTime(clock.NowMs());
        engine.TickMusicTimer(clock.NowMs());
    }
    return 0;
}
