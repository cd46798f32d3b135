// glimmora-tool sheet: every picture of an archive as a labelled thumbnail on one sheet.
#include "tools/glimmora-tool/ToolCommand.h"

#include "tools/imageio/ImageIo.h"

#include "foundation/DataSource.h"
#include "foundation/Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

constexpr int kThumbW = 180, kThumbH = 135, kLabelH = 30, kMargin = 12, kColumns = 5;
constexpr const char* kLabelFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

void Blend(uint8_t* d, const uint8_t* s, float alpha)
{
    for (int i = 0; i < 3; ++i)
        d[i] = uint8_t(std::lround(s[i] * alpha + d[i] * (1 - alpha)));
    d[3] = 255;
}

// Area-averaged scaling into the cell, centred, composited over a checkerboard so that
// transparency and white glyphs both show.
void DrawThumb(TRgbaImage& sheet, const TRgbaImage& pic, int cx, int cy)
{
    for (int y = 0; y < kThumbH; ++y)
        for (int x = 0; x < kThumbW; ++x) {
            uint8_t* d = sheet.At(cx + x, cy + y);
            bool dark = ((x / 8) + (y / 8)) % 2;
            d[0] = dark ? 88 : 110;
            d[1] = dark ? 74 : 94;
            d[2] = dark ? 96 : 118;
            d[3] = 255;
        }
    double scale = std::min({1.0, double(kThumbW) / pic.Width, double(kThumbH) / pic.Height});
    if (pic.Width * scale < 24 && pic.Height * scale < 24)
        scale = std::min({3.0, double(kThumbW) / pic.Width, double(kThumbH) / pic.Height});
    const int w = std::max(1, int(pic.Width * scale)), h = std::max(1, int(pic.Height * scale));
    const int ox = cx + (kThumbW - w) / 2, oy = cy + (kThumbH - h) / 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int x0 = int(x / scale), x1 = std::max(x0 + 1, int((x + 1) / scale));
            int y0 = int(y / scale), y1 = std::max(y0 + 1, int((y + 1) / scale));
            x1 = std::min(x1, pic.Width);
            y1 = std::min(y1, pic.Height);
            double sum[4] = {0, 0, 0, 0};
            int n = 0;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx, ++n) {
                    const uint8_t* p = pic.At(sx, sy);
                    double a = p[3] / 255.0;
                    for (int i = 0; i < 3; ++i)
                        sum[i] += p[i] * a;
                    sum[3] += a;
                }
            if (n == 0 || sum[3] <= 0)
                continue;
            uint8_t c[3] = {uint8_t(sum[0] / sum[3]), uint8_t(sum[1] / sum[3]), uint8_t(sum[2] / sum[3])};
            Blend(sheet.At(ox + x, oy + y), c, float(sum[3] / n));
        }
}

void DrawLabel(TRgbaImage& sheet, FT_Face face, const std::string& text, int x, int baseline, int maxWidth)
{
    if (!face)
        return;
    const uint8_t ink[3] = {70, 34, 64};
    int pen = x;
    for (char16_t ch : Utf8ToUtf16(text)) {
        if (FT_Load_Char(face, ch, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT))
            continue;
        FT_GlyphSlot g = face->glyph;
        if (pen + int(g->advance.x >> 6) > x + maxWidth)
            break;
        for (unsigned r = 0; r < g->bitmap.rows; ++r)
            for (unsigned c = 0; c < g->bitmap.width; ++c) {
                int px = pen + g->bitmap_left + int(c), py = baseline - g->bitmap_top + int(r);
                if (px < 0 || py < 0 || px >= sheet.Width || py >= sheet.Height)
                    continue;
                Blend(sheet.At(px, py), ink, g->bitmap.buffer[r * g->bitmap.pitch + c] / 255.0f);
            }
        pen += int(g->advance.x >> 6);
    }
}

int Sheet(const TToolCommand& self, const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return ToolUsage(self);
    TDataSource source(std::make_unique<TFileFolder>(args[0]));
    struct TItem {
        std::string Label;
        TRgbaImage Picture;
    };
    std::vector<TItem> items;
    int failed = 0;
    for (const std::string& name : source.Names()) {
        std::string lower = AsciiLower(name);
        if (!lower.ends_with(".png") && !lower.ends_with(".jpg"))
            continue;
        std::string why;
        auto bytes = source.Read(name, &why);
        auto picture = bytes ? ReadPictureRgba(*bytes, &why) : std::nullopt;
        if (!picture) {
            std::cerr << "glimmora-tool: " << name << ": " << why << "\n";
            ++failed;
            continue;
        }
        std::string label = name + "  " + std::to_string(picture->Width) + "x" + std::to_string(picture->Height);
        items.push_back({label, std::move(*picture)});
    }
    const int rows = std::max(1, int((items.size() + kColumns - 1) / kColumns));
    const int cellW = kThumbW + kMargin, cellH = kThumbH + kLabelH + kMargin;
    TRgbaImage sheet(kMargin + kColumns * cellW, 40 + kMargin + rows * cellH);
    for (size_t i = 0; i < sheet.Pixels.size(); i += 4) {
        sheet.Pixels[i] = 255;
        sheet.Pixels[i + 1] = 246;
        sheet.Pixels[i + 2] = 236;
        sheet.Pixels[i + 3] = 255;
    }
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) || FT_New_Face(library, kLabelFace, 0, &face)) {
        std::cerr << "glimmora-tool: no label font at " << kLabelFace << "; the sheet has no labels\n";
        face = nullptr;
    }
    if (face) {
        FT_Set_Pixel_Sizes(face, 0, 20);
        DrawLabel(sheet, face, args[0] + ": " + std::to_string(items.size()) + " pictures", kMargin, 30,
                  sheet.Width - 2 * kMargin);
        FT_Set_Pixel_Sizes(face, 0, 11);
    }
    for (size_t i = 0; i < items.size(); ++i) {
        int cx = kMargin + int(i % kColumns) * cellW, cy = 40 + kMargin + int(i / kColumns) * cellH;
        DrawThumb(sheet, items[i].Picture, cx, cy);
        DrawLabel(sheet, face, items[i].Label, cx, cy + kThumbH + 15, kThumbW);
    }
    if (face)
        FT_Done_Face(face);
    if (library)
        FT_Done_FreeType(library);
    if (!ToolWriteFile(args[1], WritePngRgba(sheet)))
        return 1;
    return failed ? 1 : 0;
}

}  // namespace

void AddSheetCommands(std::vector<TToolCommand>& commands)
{
    commands.push_back({"sheet", "ARCHIVE OUT.png",
                        "Draws every picture of the archive as a labelled thumbnail on one contact sheet.", Sheet});
}
