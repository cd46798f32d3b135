// Bitmap fonts: metrics, widths, the glyph list DrawText fills, font files, and drawing
// through the surface engine.
#include "text/QelFontEngine.h"

#include "foundation/MemoryStream.h"
#include "foundation/QelParser.h"

#include <gtest/gtest.h>

namespace {

// Keeps a copy of every batch the font asks to draw.
class TRecordingHost final : public IQelFontHost {
public:
    explicit TRecordingHost(const TQelFontEngine& fonts) : fonts_(fonts) {}
    void ExtDraw(const std::string& picture, int count) override
    {
        Pictures.push_back(picture);
        Batches.emplace_back(fonts_.CharsRects.begin(), fonts_.CharsRects.begin() + count);
    }
    size_t Drawn() const
    {
        size_t n = 0;
        for (const auto& b : Batches)
            n += b.size();
        return n;
    }
    std::vector<std::string> Pictures;
    std::vector<std::vector<TCharsRect>> Batches;

private:
    const TQelFontEngine& fonts_;
};

struct TFontFixture : ::testing::Test {
    TQelClassReg classes;
    std::unique_ptr<TQelFontEngine> fonts;
    std::unique_ptr<TRecordingHost> host;
    TQelFont* font = nullptr;

    void SetUp() override
    {
        RegisterFontClasses(classes);
        fonts = std::make_unique<TQelFontEngine>(classes);
        host = std::make_unique<TRecordingHost>(*fonts);
        fonts->Host = host.get();
        // Space, A (0/11/1), B (1/10/1), C 12 wide.
        font = Load("<Font Name=\"Test\" Height=\"16\" Picture=\"Test.png\" "
                    "Metrics=\"32:0:0:0:6:1,65:6:0:0:11:1,66:17:0:1:10:1,67:28:16:0:12\"/>");
    }
    TQelFont* Load(const std::string& xml)
    {
        TMemoryStream stream(xml);
        return fonts->LoadFontFromStream(stream);
    }
};

TEST_F(TFontFixture, TextWidthSumsBeforeWidthAfter)
{
    EXPECT_EQ(font->GetTextWidth(u"AB"), 24);
    EXPECT_EQ(font->GetTextWidth(u""), 0);
    EXPECT_EQ(font->GetTextWidth(u"C"), 12);           // missing trailing field After is 0
    EXPECT_EQ(font->GetTextWidth(u"x"), 7);            // a missing character measures as the first entry
    EXPECT_EQ(font->CharDescs[3].After, 0);
}

TEST_F(TFontFixture, CharacterPresence)
{
    struct {
        char16_t c;
        bool present;
    } cases[] = {{u' ', true}, {u'A', true}, {u'C', true}, {u'x', false}, {u'\u4E00', false}, {0, false}};
    for (const auto& c : cases)
        EXPECT_EQ(font->IsCharPresent(c.c), c.present) << static_cast<int>(c.c);

    // The first entry's own character counts as absent unless it is the space.
    TQelFont* digits = Load("<F Name=\"Digits\" Height=\"9\" Metrics=\"48:0:0:0:5,49:5:0:0:5\"/>");
    EXPECT_FALSE(digits->IsCharPresent(u'0'));
    EXPECT_TRUE(digits->IsCharPresent(u'1'));
    EXPECT_TRUE(digits->IsCharPresent(u' '));
}

TEST_F(TFontFixture, DrawTextFillsTheGlyphList)
{
    font->DrawText(100, 50, 0x0000FF, 200, u"AB");
    ASSERT_EQ(host->Batches.size(), 1u);
    ASSERT_EQ(host->Batches[0].size(), 2u);
    EXPECT_EQ(host->Pictures[0], "Test.png");
    const TCharsRect& a = host->Batches[0][0];
    const TCharsRect& b = host->Batches[0][1];
    EXPECT_EQ(a.Source, (TRect {6, 0, 16, 15}));
    EXPECT_EQ(a.X, 100);
    EXPECT_EQ(b.Source, (TRect {17, 0, 26, 15}));
    EXPECT_EQ(b.X, 100 + 11 + 1 + 1);  // after A, plus B's Before
    EXPECT_EQ(b.Y, 50);
    EXPECT_EQ(b.Color, 0x0000FFu);
    EXPECT_EQ(b.Opacity, 200);
}

TEST_F(TFontFixture, WhatDrawTextLeavesOut)
{
    struct {
        const char16_t* text;
        int maxWidth;
        size_t drawn;
    } cases[] = {
        {u"  ", 0, 0},      // only spaces
        {u"x", 0, 0},       // one character the font lacks
        {u" x ", 0, 3},     // trimmed to one, but its first character (the space) is present
        {u"xx", 0, 2},      // missing characters draw the first entry
        {u"CC", 20, 1},     // the glyph that passes the width is not drawn
        {u"CCC", 24, 2},
        {u"CC", 0, 2},
        {u"\tA\n", 0, 0},  // trimmed to one, and its first character (the tab) is absent
    };
    for (const auto& c : cases) {
        host->Batches.clear();
        font->DrawText(0, 0, 0, 255, c.text, c.maxWidth);
        EXPECT_EQ(host->Drawn(), c.drawn) << "text of " << std::u16string(c.text).size() << " max " << c.maxWidth;
    }
    host->Batches.clear();
    font->DrawText(0, 0, 0, 255, u"xx");
    EXPECT_EQ(host->Batches[0][0].Source, (TRect {0, 0, 5, 15}));
    EXPECT_EQ(host->Batches[0][1].X, 7);
}

TEST_F(TFontFixture, LongTextsAreDrawnInFullBatches)
{
    std::u16string text(7000, u'A');
    font->DrawText(0, 0, 0, 255, text);
    ASSERT_EQ(host->Batches.size(), 3u);
    EXPECT_EQ(host->Batches[0].size(), 3000u);
    EXPECT_EQ(host->Batches[2].size(), 1000u);
    EXPECT_EQ(host->Batches[1][0].X, 3000 * 12);
    EXPECT_EQ(host->Batches[2].back().X, 6999 * 12);

    host->Batches.clear();
    font->DrawText(0, 0, 0, 255, text, 3000 * 12 + 5);
    EXPECT_EQ(host->Drawn(), 3000u);
}

TEST_F(TFontFixture, MalformedMetricsFailAndKeepTheFont)
{
    for (const char* metrics : {"65:0:0:0:10,", "65:0:0:a:10", "", "65::0", "70000:0:0:0:5", "-1:0:0:0:5",
             "65:99999999999:0:0:5"}) {
        EXPECT_THROW(fonts->SetObjectProperty("Test", "Metrics", metrics), TQelException) << metrics;
        EXPECT_EQ(font->CharDescs.size(), 4u) << metrics;
        EXPECT_EQ(font->GetTextWidth(u"AB"), 24) << metrics;
    }
    EXPECT_THROW(Load("<F Name=\"Broken\" Height=\"9\" Metrics=\"65:0:0:0:5,\"/>"), TQelException);
}

TEST_F(TFontFixture, SecondMetricsKeepsOldCodesSafely)
{
    fonts->SetObjectProperty("Test", "Metrics", "66:0:0:0:3");
    ASSERT_EQ(font->CharDescs.size(), 1u);
    // 'C' still maps to entry 3 of the first write: it falls back instead of reading past the table.
    EXPECT_TRUE(font->IsCharPresent(u'C'));
    EXPECT_EQ(font->GetTextWidth(u"C"), 3);
    font->DrawText(0, 0, 0, 255, u"CB");
    EXPECT_EQ(host->Drawn(), 2u);
}

TEST_F(TFontFixture, FontFiles)
{
    EXPECT_EQ(font->Height, 16);
    EXPECT_EQ(font->Picture, "Test.png");
    EXPECT_EQ(fonts->GetFontByName("Test"), font);
    Load("<Font Name=\"NoPicture\" Height=\"9\" Metrics=\"32:0:0:0:4\"/>");
    Load("<Font Name=\"Digits\" Picture=\"Digits.png\" Height=\"9\" Metrics=\"32:0:0:0:4\" Tag=\"3\" ParentName=\"x\"/>");
    EXPECT_EQ(fonts->GetPictures(), "Test.png\r\nDigits.png");
    EXPECT_EQ(fonts->FontAt(2)->Tag, 3);
    EXPECT_EQ(VariantToString(fonts->GetObjectValue("Test", "Metrics")), "");

    EXPECT_THROW(Load("<Font Name=\"Test\" Height=\"9\"/>"), TQelException);  // the name is taken
    EXPECT_EQ(fonts->FontCount(), 4);  // the font stays, without a name
    EXPECT_THROW(Load("<Font Name=\"Odd\" Colour=\"red\"/>"), TQelException);
    EXPECT_THROW(Load("no elements at all"), TQelException);
    EXPECT_THROW(fonts->LoadFont("/nonexistent/font.xml"), TQelException);

    TQelClassReg bare;
    TQelFontEngine unregistered(bare);
    TQelParser doc;
    doc.LoadFromText("<Font Name=\"A\"/>");
    EXPECT_THROW(unregistered.AddFont(*doc.GetChild(0)), TQelException);
}

TEST_F(TFontFixture, DrawsThroughTheSurfaceEngine)
{
    TSurfEngine surfaces(TDisplayFormat::Bgr32());
    ASSERT_TRUE(surfaces.NewSurface("MemorySurface", 800, 600));
    ASSERT_TRUE(surfaces.NewSurface("Test.png", 40, 32));
    surfaces.CreateAlphaChannel("Test.png", 255);
    TSurfFontHost surfHost(surfaces, *fonts, "MemorySurface");
    fonts->Host = &surfHost;
    font->DrawText(10, 20, 0x0000FF, 255, u"A");
    auto pixel = [&](int x, int y) { return reinterpret_cast<const uint32_t*>(surfaces.FindSurface("MemorySurface")->Row(y))[x] & 0xFFFFFF; };
    EXPECT_GT(pixel(10, 20) >> 16, 0xF0u);  // red, in the engine's blue-lowest layout
    EXPECT_GT(pixel(20, 35) >> 16, 0xF0u);
    EXPECT_EQ(pixel(21, 20), 0u);  // right of the 11-pixel glyph
    EXPECT_EQ(pixel(10, 36), 0u);  // below its 16 rows
}

}  // namespace
