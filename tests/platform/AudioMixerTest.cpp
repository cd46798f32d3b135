// The mixer rendered offline: what each playback, module and global setting does to the
// frames that would reach the speakers.
#include "platform/AudioMixer.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kRate = 44100;

int Frames(int ms)
{
    return kRate * ms / 1000;
}

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mixer.Init(kRate));
        ASSERT_TRUE(mixer.Start());
    }

    // Renders the given number of frames and keeps them.
    const std::vector<float>& Render(int frames)
    {
        out.assign(static_cast<size_t>(frames) * 2, 0.0f);
        mixer.Render(out.data(), frames);
        return out;
    }
    // Root mean square of one side over the last rendered frames, from frame `from` on.
    double Rms(int side, int from = 0) const
    {
        double sum = 0;
        size_t n = 0;
        for (size_t i = static_cast<size_t>(from) * 2 + side; i < out.size(); i += 2, ++n)
            sum += out[i] * out[i];
        return n ? std::sqrt(sum / n) : 0.0;
    }

    TAudioHandle LoadConstant(double value, int ms = 1000, int maxPlaybacks = 5)
    {
        fixture::TWavShape shape;
        shape.Frames = static_cast<size_t>(Frames(ms));
        shape.Sample = [value](size_t, int) { return value; };
        auto bytes = fixture::MakeWav(shape);
        return mixer.SampleLoad(bytes, maxPlaybacks);
    }
    TAudioHandle LoadModule(const std::vector<uint8_t>& orders)
    {
        auto bytes = fixture::MakeXm(orders);
        return mixer.MusicLoad(bytes);
    }

    TAudioMixer mixer;
    std::vector<float> out;
};

TEST_F(MixerTest, PlaybackVolumeAndPanSetEachSide)
{
    struct Row {
        int Volume, Pan;
        double Left, Right;
    };
    const Row rows[] = {
        {100, 0, 0.5, 0.5},   {50, 0, 0.25, 0.25},    {0, 0, 0.0, 0.0},    {100, -100, 0.5, 0.0},
        {100, 100, 0.0, 0.5}, {100, 50, 0.25, 0.5},   {40, -50, 0.2, 0.1}, {150, 0, 0.5, 0.5},
        {100, 300, 0.0, 0.5}, {-20, 0, 0.0, 0.0},
    };
    TAudioHandle sample = LoadConstant(0.5);
    ASSERT_NE(sample, 0u);
    for (const Row& row : rows) {
        SCOPED_TRACE("volume " + std::to_string(row.Volume) + " pan " + std::to_string(row.Pan));
        mixer.SampleStop(sample);
        ASSERT_NE(mixer.SamplePlayEx(sample, row.Volume, row.Pan), 0u);
        Render(64);
        EXPECT_NEAR(out[0], row.Left, 1e-4);
        EXPECT_NEAR(out[1], row.Right, 1e-4);
    }
}

TEST_F(MixerTest, SixthPlaybackOfASampleReplacesTheOldest)
{
    TAudioHandle sample = LoadConstant(0.1);
    std::vector<TAudioHandle> channels;
    for (int volume : {10, 20, 30, 40, 50})
        channels.push_back(mixer.SamplePlayEx(sample, volume, 0));
    Render(16);
    EXPECT_NEAR(out[0], 0.1 * (0.1 + 0.2 + 0.3 + 0.4 + 0.5), 1e-4);
    EXPECT_EQ(mixer.SamplePlaybacks(sample), 5);

    TAudioHandle sixth = mixer.SamplePlayEx(sample, 60, 0);
    ASSERT_NE(sixth, 0u);
    EXPECT_EQ(mixer.SamplePlaybacks(sample), 5);
    EXPECT_FALSE(mixer.IsChannelPlaying(channels[0]));
    for (size_t i = 1; i < channels.size(); ++i)
        EXPECT_TRUE(mixer.IsChannelPlaying(channels[i]));
    Render(16);
    EXPECT_NEAR(out[0], 0.1 * (0.2 + 0.3 + 0.4 + 0.5 + 0.6), 1e-4);

    // Another sample's playbacks count on their own.
    TAudioHandle other = LoadConstant(0.1);
    EXPECT_NE(mixer.SamplePlayEx(other, 100, 0), 0u);
    EXPECT_EQ(mixer.SamplePlaybacks(sample), 5);
    EXPECT_TRUE(mixer.IsChannelPlaying(channels[1]));
}

TEST_F(MixerTest, PlaybackEndsWithItsSampleAndStopsOnRequest)
{
    TAudioHandle sample = LoadConstant(0.5, 10);
    TAudioHandle channel = mixer.SamplePlayEx(sample, 100, 0);
    Render(Frames(10) + 100);
    EXPECT_NEAR(out[0], 0.5, 1e-4);
    EXPECT_EQ(out[2 * Frames(10) + 10], 0.0f);
    EXPECT_FALSE(mixer.IsChannelPlaying(channel));

    TAudioHandle a = mixer.SamplePlayEx(sample, 100, 0);
    TAudioHandle b = mixer.SamplePlayEx(sample, 100, 0);
    mixer.ChannelStop(a);
    EXPECT_TRUE(mixer.IsChannelPlaying(b));
    mixer.SampleStop(sample);
    EXPECT_FALSE(mixer.IsChannelPlaying(b));
    Render(16);
    EXPECT_EQ(out[0], 0.0f);
}

TEST_F(MixerTest, GlobalVolumesScaleSamplesAndModulesApart)
{
    TAudioHandle sample = LoadConstant(0.5);
    TAudioHandle music = LoadModule({1});
    ASSERT_NE(music, 0u);

    mixer.SamplePlayEx(sample, 100, 0);
    Render(Frames(100));
    const double sampleOnly = out[2 * 100];
    mixer.SampleStop(sample);
    mixer.MusicPlayEx(music, 0);
    Render(Frames(100));
    const double musicFull = Rms(0, Frames(20));
    ASSERT_GT(musicFull, 0.01);
    EXPECT_NEAR(sampleOnly, 0.5, 1e-4);

    // Both stages apply: a playback at 50 under a global sample volume of 60 plays at 30.
    mixer.SetGlobalVolumes(40, 60, 0);
    mixer.ChannelStop(music);
    mixer.SamplePlayEx(sample, 50, 0);
    Render(64);
    EXPECT_NEAR(out[0], 0.5 * 0.5 * 0.6, 1e-4);
    mixer.SampleStop(sample);

    TAudioHandle again = LoadModule({1});
    mixer.MusicPlayEx(again, 0);
    Render(Frames(100));
    EXPECT_NEAR(Rms(0, Frames(20)) / musicFull, 0.4, 0.01);

    // A negative value leaves that global volume as it is.
    mixer.SetGlobalVolumes(-1, 100, 0);
    mixer.ChannelStop(again);
    mixer.SamplePlayEx(sample, 100, 0);
    Render(64);
    EXPECT_NEAR(out[0], 0.5, 1e-4);
}

TEST_F(MixerTest, ModuleStartsAtTheOrderAskedAndLoops)
{
    // Orders 0 and 1 are silent, order 2 sounds.
    TAudioHandle music = LoadModule({0, 0, 1});
    ASSERT_NE(music, 0u);
    EXPECT_EQ(mixer.MusicGetLength(music), 3);

    ASSERT_TRUE(mixer.MusicPlayEx(music, 2));
    EXPECT_EQ(mixer.MusicCurrentOrder(music), 2);
    Render(Frames(fixture::kXmPatternMs / 2));
    EXPECT_GT(Rms(0, Frames(10)), 0.01) << "order 2 holds the tone";

    ASSERT_TRUE(mixer.MusicPlayEx(music, 0));
    Render(Frames(fixture::kXmPatternMs * 2 - 20));
    EXPECT_LT(Rms(0), 1e-4) << "orders 0 and 1 are silent";
    Render(Frames(fixture::kXmPatternMs / 2));
    EXPECT_GT(Rms(0, Frames(40)), 0.01) << "order 2 follows them";
    EXPECT_EQ(mixer.MusicCurrentOrder(music), 2);

    // At its end the module goes round again instead of stopping: half-way into order 2,
    // two patterns on is half-way into order 1 of the next round.
    Render(Frames(fixture::kXmPatternMs * 2));
    EXPECT_TRUE(mixer.IsChannelPlaying(music));
    EXPECT_EQ(mixer.MusicCurrentOrder(music), 1);
    EXPECT_LT(Rms(0, Frames(fixture::kXmPatternMs) + Frames(40)), 1e-4) << "silent again after the loop";

    // An order past the end plays the last one.
    ASSERT_TRUE(mixer.MusicPlayEx(music, 7));
    EXPECT_EQ(mixer.MusicCurrentOrder(music), 2);
}

TEST_F(MixerTest, VolumeSlideReachesItsTargetInItsTime)
{
    TAudioHandle music = LoadModule({1});
    mixer.MusicPlayEx(music, 0);
    Render(Frames(100));
    const double full = Rms(0, Frames(20));

    mixer.ChannelSetAttributes(music, 0, IAudioLibrary::kPanUnchanged);
    Render(Frames(50));
    EXPECT_LT(Rms(0), 1e-4) << "a module set to volume 0 starts silent";

    mixer.ChannelSlideAttributes(music, 80, IAudioLibrary::kPanUnchanged, 500);
    Render(Frames(250));
    EXPECT_NEAR(mixer.ChannelVolume(music), 40.0, 0.5);
    Render(Frames(250) - 1);
    EXPECT_LT(mixer.ChannelVolume(music), 80.0);
    Render(1);
    EXPECT_EQ(mixer.ChannelVolume(music), 80.0);
    Render(Frames(100));
    EXPECT_NEAR(Rms(0) / full, 0.8, 0.02);

    // Sliding down to nothing leaves the module running, silent.
    mixer.ChannelSlideAttributes(music, 0, IAudioLibrary::kPanUnchanged, 200);
    Render(Frames(200));
    EXPECT_EQ(mixer.ChannelVolume(music), 0.0);
    EXPECT_TRUE(mixer.IsChannelPlaying(music));

    // A new slide replaces the one running, from where that one got to.
    mixer.ChannelSlideAttributes(music, 100, IAudioLibrary::kPanUnchanged, 1000);
    Render(Frames(500));
    mixer.ChannelSlideAttributes(music, 0, IAudioLibrary::kPanUnchanged, 100);
    Render(Frames(50));
    EXPECT_NEAR(mixer.ChannelVolume(music), 25.0, 0.5);

    // No time means at once.
    mixer.ChannelSlideAttributes(music, 70, IAudioLibrary::kPanUnchanged, 0);
    EXPECT_EQ(mixer.ChannelVolume(music), 70.0);
}

TEST_F(MixerTest, PauseHoldsModulesAndTheirSlides)
{
    TAudioHandle music = LoadModule({1});
    mixer.MusicPlayEx(music, 0);
    mixer.ChannelSetAttributes(music, 0, IAudioLibrary::kPanUnchanged);
    mixer.ChannelSlideAttributes(music, 100, IAudioLibrary::kPanUnchanged, 1000);
    Render(Frames(100));
    const double volume = mixer.ChannelVolume(music);
    EXPECT_NEAR(volume, 10.0, 0.5);

    ASSERT_TRUE(mixer.Pause());
    Render(Frames(500));
    for (float v : out)
        ASSERT_EQ(v, 0.0f);
    EXPECT_EQ(mixer.ChannelVolume(music), volume) << "the slide waits while output is paused";
    EXPECT_TRUE(mixer.IsChannelPlaying(music));

    ASSERT_TRUE(mixer.Start());
    Render(Frames(100));
    EXPECT_GT(Rms(0), 0.001);
    EXPECT_NEAR(mixer.ChannelVolume(music), 20.0, 0.5);
}

TEST_F(MixerTest, PauseResumesSampleWhereItStopped)
{
    fixture::TWavShape ramp;
    ramp.Frames = 1000;
    ramp.Sample = [](size_t f, int) { return f / 1000.0; };
    auto bytes = fixture::MakeWav(ramp);
    TAudioHandle sample = mixer.SampleLoad(bytes, 5);
    mixer.SamplePlayEx(sample, 100, 0);
    Render(300);
    mixer.Pause();
    Render(300);
    EXPECT_EQ(out[0], 0.0f);
    mixer.Start();
    Render(1);
    EXPECT_NEAR(out[0], 0.3, 1e-3);
}

TEST_F(MixerTest, RefusedCallsAreSilent)
{
    const uint8_t garbage[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(mixer.SampleLoad(garbage, 5), 0u);
    EXPECT_FALSE(mixer.LastError().empty());
    EXPECT_EQ(mixer.MusicLoad(garbage), 0u);
    EXPECT_EQ(mixer.MusicLoad({}), 0u);
    EXPECT_EQ(mixer.SamplePlayEx(0, 100, 0), 0u);
    EXPECT_EQ(mixer.SamplePlayEx(12345, 100, 0), 0u);
    EXPECT_FALSE(mixer.MusicPlayEx(0, 0));
    EXPECT_EQ(mixer.MusicGetLength(0), 0);
    mixer.ChannelSetAttributes(0, 50, 0);
    mixer.ChannelSlideAttributes(0, 50, 0, 100);
    mixer.ChannelStop(0);
    mixer.SampleStop(0);
    mixer.SampleFree(0);
    mixer.MusicFree(0);

    // A sample handle is not a module, nor the other way round.
    TAudioHandle sample = LoadConstant(0.5);
    TAudioHandle music = LoadModule({1});
    EXPECT_FALSE(mixer.MusicPlayEx(sample, 0));
    EXPECT_EQ(mixer.SamplePlayEx(music, 100, 0), 0u);

    // Freeing a sample stops its playbacks; its handle is dead afterwards.
    TAudioHandle channel = mixer.SamplePlayEx(sample, 100, 0);
    mixer.SampleFree(sample);
    EXPECT_FALSE(mixer.IsChannelPlaying(channel));
    EXPECT_EQ(mixer.SamplePlayEx(sample, 100, 0), 0u);
    mixer.MusicFree(music);
    EXPECT_FALSE(mixer.MusicPlayEx(music, 0));
    Render(64);
    EXPECT_EQ(out[0], 0.0f);
}

TEST(MixerLifetime, NothingBeforeInitAndAfterFree)
{
    TAudioMixer mixer;
    auto wav = fixture::MakeWav({});
    EXPECT_EQ(mixer.GetVersion(), kAudioLibraryVersion);
    EXPECT_EQ(mixer.SampleLoad(wav, 5), 0u);
    EXPECT_FALSE(mixer.Start());
    EXPECT_FALSE(mixer.Init(0));
    ASSERT_TRUE(mixer.Init(kRate));
    EXPECT_FALSE(mixer.Init(kRate)) << "a second start is refused";

    TAudioHandle sample = mixer.SampleLoad(wav, 5);
    ASSERT_NE(sample, 0u);
    mixer.SamplePlayEx(sample, 100, 0);
    std::vector<float> out(64, 1.0f);
    mixer.Render(out.data(), 32);
    EXPECT_EQ(out[0], 0.0f) << "no output before Start";

    mixer.Start();
    mixer.Stop();
    EXPECT_EQ(mixer.SamplePlaybacks(sample), 0) << "Stop ends every playback";
    mixer.Free();
    EXPECT_EQ(mixer.SamplePlayEx(sample, 100, 0), 0u);
    EXPECT_TRUE(mixer.Init(22050)) << "a freed mixer can start again";
}

TEST_F(MixerTest, LoudSumsAreClipped)
{
    TAudioHandle sample = LoadConstant(0.9);
    for (int i = 0; i < 3; ++i)
        mixer.SamplePlayEx(sample, 100, 0);
    Render(16);
    EXPECT_EQ(out[0], 1.0f);
}

}  // namespace
