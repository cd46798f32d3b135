// Decoding the sample files the game ships: every WAV layout it may meet, Ogg Vorbis, and
// damaged files that must be refused rather than played as noise or crash.
#include "platform/SoundDecoder.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kRate = 44100;

TEST(SoundDecoder, ReadsEveryWavSampleLayout)
{
    struct Row {
        int Bits;
        bool Float;
        int Channels;
    };
    const Row rows[] = {{8, false, 1}, {16, false, 1}, {16, false, 2}, {24, false, 2}, {32, false, 1}, {32, true, 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.Bits) + (row.Float ? " float" : " bits") + " x" + std::to_string(row.Channels));
        fixture::TWavShape shape;
        shape.Bits = row.Bits;
        shape.Float = row.Float;
        shape.Channels = row.Channels;
        shape.Frames = 100;
        shape.Sample = [](size_t, int channel) { return channel == 0 ? 0.5 : -0.25; };
        std::string error;
        auto sound = DecodeSound(fixture::MakeWav(shape), kRate, &error);
        ASSERT_TRUE(sound) << error;
        ASSERT_EQ(sound->FrameCount(), 100u);
        EXPECT_NEAR(sound->Samples[0], 0.5, 0.01);
        // Mono plays the same on both sides.
        EXPECT_NEAR(sound->Samples[1], row.Channels == 1 ? 0.5 : -0.25, 0.01);
    }
}

TEST(SoundDecoder, ConvertsTheRateToTheMixers)
{
    fixture::TWavShape shape;
    shape.Rate = 22050;
    shape.Frames = 2205;
    shape.Sample = [](size_t f, int) { return f / 2205.0; };
    auto sound = DecodeSound(fixture::MakeWav(shape), kRate);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->FrameCount(), 4410u);
    // Half-way through in time is half-way through the ramp.
    EXPECT_NEAR(sound->Samples[2 * 2205], 0.5, 0.01);
}

TEST(SoundDecoder, DecodesOggVorbis)
{
    auto bytes = fixture::MakeOggSine(22050, 11025, 440.0, 0.5);
    std::string error;
    auto sound = DecodeSound(bytes, kRate, &error);
    ASSERT_TRUE(sound) << error;
    EXPECT_NEAR(static_cast<double>(sound->FrameCount()), 22050.0, 100.0);
    double sum = 0;
    for (size_t i = 0; i < sound->FrameCount(); ++i)
        sum += sound->Samples[2 * i] * sound->Samples[2 * i];
    // A sine of amplitude 0.5 has a root mean square of about 0.35.
    EXPECT_NEAR(std::sqrt(sum / sound->FrameCount()), 0.5 / std::sqrt(2.0), 0.05);
}

TEST(SoundDecoder, RefusesDamagedFiles)
{
    auto wav = fixture::MakeWav({});
    auto ogg = fixture::MakeOggSine(kRate, 4410, 440.0, 0.5);

    struct Row {
        const char* What;
        std::vector<uint8_t> Bytes;
    };
    std::vector<Row> rows;
    rows.push_back({"empty", {}});
    rows.push_back({"unknown kind", {'M', 'T', 'h', 'd', 0, 0, 0, 6}});
    rows.push_back({"RIFF header only", std::vector<uint8_t>(wav.begin(), wav.begin() + 12)});
    rows.push_back({"cut inside the format", std::vector<uint8_t>(wav.begin(), wav.begin() + 24)});
    auto adpcm = wav;
    adpcm[20] = 2;  // a compressed encoding
    rows.push_back({"compressed WAV", adpcm});
    auto noChannels = wav;
    noChannels[22] = 0;
    rows.push_back({"no channels", noChannels});
    auto oddBits = wav;
    oddBits[34] = 12;
    rows.push_back({"12-bit samples", oddBits});
    rows.push_back({"Ogg header only", std::vector<uint8_t>(ogg.begin(), ogg.begin() + 40)});
    auto scrambled = ogg;
    for (size_t i = 4; i < scrambled.size(); i += 3)
        scrambled[i] ^= 0x5A;
    rows.push_back({"scrambled Ogg", scrambled});

    for (const Row& row : rows) {
        std::string error;
        EXPECT_FALSE(DecodeSound(row.Bytes, kRate, &error)) << row.What;
        EXPECT_FALSE(error.empty()) << row.What;
    }
}

TEST(SoundDecoder, PlaysWhatIsThereOfATruncatedWav)
{
    fixture::TWavShape shape;
    shape.Frames = 1000;
    auto wav = fixture::MakeWav(shape);
    wav.resize(wav.size() - 2 * 400 - 1);  // the data chunk says 1000 frames, 599.5 are there
    auto sound = DecodeSound(wav, kRate);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->FrameCount(), 599u);
}

}  // namespace
