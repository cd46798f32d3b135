// fontgen: renders a font declaration into a glyph picture and a bitmap font file.
#include "tools/imageio/ImageIo.h"

#include "foundation/Files.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

static const char* kHelp =
    "usage: fontgen DECLARATION.font OUT_FOLDER\n"
    "\n"
    "Reads a font declaration and writes OUT_FOLDER/<name>.xml (the font file: Name, Height,\n"
    "Picture, Metrics) and OUT_FOLDER/<picture> (white glyphs on transparent ground, so the\n"
    "game's tint colours them). Declaration lines, '#' at the start of a word begins a comment:\n"
    "  name NAME             font object name, also the file name NAME.xml\n"
    "  picture FILE.png      glyph picture name (default NAME.png)\n"
    "  face PATH             font file; repeat for fallbacks, tried in order per character\n"
    "  size PX               pixel size of the em\n"
    "  chars RANGE...        hexadecimal code points or ranges, e.g. 20-7E A0-17F 20AC\n"
    "  spacing PX            extra pixels after every glyph (default 0)\n"
    "  outline PX RRGGBB     baked outline of that width and colour (default none)\n"
    "  shadow DX DY RRGGBB PERCENT   baked drop shadow (default none)\n"
    "  width PX              glyph picture width (default 512)\n"
    "  hinting light|normal|none     FreeType hinting (default light)\n"
    "The space (code 20) is always the first glyph: the game draws the first glyph for\n"
    "characters the font lacks.\n";

namespace {

struct TColour {
    uint8_t R = 0, G = 0, B = 0;
};

struct TDeclaration {
    std::string Name, Picture;
    std::vector<std::string> Faces;
    int Size = 0;
    std::vector<uint32_t> Codes;
    int Spacing = 0;
    int Outline = 0;
    TColour OutlineColour;
    int ShadowX = 0, ShadowY = 0, ShadowPercent = 0;
    TColour ShadowColour;
    int Width = 512;
    FT_Int32 Hinting = FT_LOAD_TARGET_LIGHT;
};

// A rendered glyph: coverage of the ink box and where the box sits.
struct TGlyph {
    uint32_t Code = 0;
    int Advance = 0;
    int Left = 0, Top = 0;  // ink box: left from the pen, top from the baseline (up is positive)
    int W = 0, H = 0;
    std::vector<uint8_t> Coverage;
};

struct TPlaced {
    uint32_t Code;
    int X, Y, Before, Width, After;
};

bool ParseColour(const std::string& text, TColour& colour)
{
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    unsigned long v = std::stoul(text, nullptr, 16);
    colour = {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    return true;
}

bool ReadDeclaration(const std::string& path, TDeclaration& decl, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::set<uint32_t> codes;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        // A comment starts at a '#' that begins a word, so note names like F#4 stay whole.
        for (size_t hash = line.find('#'); hash != std::string::npos; hash = line.find('#', hash + 1))
            if (hash == 0 || line[hash - 1] == ' ' || line[hash - 1] == '\t') {
                line.erase(hash);
                break;
            }
        std::istringstream words(line);
        std::string key;
        if (!(words >> key))
            continue;
        auto bad = [&](const std::string& why) {
            error = path + ":" + std::to_string(lineNo) + ": " + why;
            return false;
        };
        std::string a, b, c, d;
        if (key == "name") {
            words >> decl.Name;
        } else if (key == "picture") {
            words >> decl.Picture;
        } else if (key == "face") {
            words >> a;
            decl.Faces.push_back(a);
        } else if (key == "size") {
            words >> decl.Size;
        } else if (key == "spacing") {
            words >> decl.Spacing;
        } else if (key == "width") {
            words >> decl.Width;
        } else if (key == "chars") {
            while (words >> a) {
                size_t dash = a.find('-');
                try {
                    uint32_t first = std::stoul(a.substr(0, dash), nullptr, 16);
                    uint32_t last = dash == std::string::npos ? first : std::stoul(a.substr(dash + 1), nullptr, 16);
                    if (last < first || last > 0xFFFF)
                        return bad("bad range " + a);
                    for (uint32_t code = first; code <= last; ++code)
                        codes.insert(code);
                } catch (const std::exception&) {
                    return bad("bad range " + a);
                }
            }
        } else if (key == "outline") {
            if (!(words >> decl.Outline >> a) || !ParseColour(a, decl.OutlineColour) || decl.Outline < 0 ||
                decl.Outline > 6)
                return bad("outline needs a width 0..6 and a colour RRGGBB");
        } else if (key == "shadow") {
            if (!(words >> decl.ShadowX >> decl.ShadowY >> a >> decl.ShadowPercent) ||
                !ParseColour(a, decl.ShadowColour) || std::abs(decl.ShadowX) > 6 || std::abs(decl.ShadowY) > 6)
                return bad("shadow needs DX DY RRGGBB PERCENT");
        } else if (key == "hinting") {
            words >> a;
            if (a == "light")
                decl.Hinting = FT_LOAD_TARGET_LIGHT;
            else if (a == "normal")
                decl.Hinting = FT_LOAD_TARGET_NORMAL;
            else if (a == "none")
                decl.Hinting = FT_LOAD_NO_HINTING;
            else
                return bad("hinting is light, normal or none");
        } else {
            return bad("unknown key \"" + key + "\"");
        }
    }
    if (decl.Name.empty() || decl.Faces.empty() || decl.Size <= 0 || codes.empty()) {
        error = path + ": name, face, size and chars are required";
        return false;
    }
    if (decl.Picture.empty())
        decl.Picture = decl.Name + ".png";
    codes.erase(0x20);
    decl.Codes.push_back(0x20);
    decl.Codes.insert(decl.Codes.end(), codes.begin(), codes.end());
    return true;
}

// Soft-edged dilation of the coverage by radius r: the outline's alpha.
std::vector<uint8_t> Dilate(const std::vector<uint8_t>& cov, int w, int h, int r)
{
    std::vector<uint8_t> out(cov.size(), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float best = 0;
            for (int dy = -r - 1; dy <= r + 1; ++dy)
                for (int dx = -r - 1; dx <= r + 1; ++dx) {
                    int sx = x + dx, sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= w || sy >= h)
                        continue;
                    float weight = std::clamp(r + 0.5f - std::sqrt(float(dx * dx + dy * dy)), 0.0f, 1.0f);
                    best = std::max(best, cov[size_t(sy) * w + sx] * weight);
                }
            out[size_t(y) * w + x] = uint8_t(std::lround(best));
        }
    return out;
}

// Straight-alpha "over" of a solid colour with the given coverage onto a pixel.
void Over(uint8_t* p, TColour c, float alpha)
{
    if (alpha <= 0)
        return;
    float da = p[3] / 255.0f, oa = alpha + da * (1 - alpha);
    auto mix = [&](uint8_t src, uint8_t dst) {
        return uint8_t(std::lround((src * alpha + dst * da * (1 - alpha)) / oa));
    };
    p[0] = mix(c.R, p[0]);
    p[1] = mix(c.G, p[1]);
    p[2] = mix(c.B, p[2]);
    p[3] = uint8_t(std::lround(oa * 255));
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kHelp;
        return 0;
    }
    if (args.size() != 2) {
        std::cerr << kHelp;
        return 1;
    }
    TDeclaration decl;
    std::string error;
    if (!ReadDeclaration(args[0], decl, error)) {
        std::cerr << "fontgen: " << error << "\n";
        return 1;
    }

    FT_Library library;
    if (FT_Init_FreeType(&library)) {
        std::cerr << "fontgen: cannot start FreeType\n";
        return 1;
    }
    std::vector<FT_Face> faces;
    for (const std::string& path : decl.Faces) {
        FT_Face face;
        if (FT_New_Face(library, path.c_str(), 0, &face) || FT_Set_Pixel_Sizes(face, 0, FT_UInt(decl.Size))) {
            std::cerr << "fontgen: cannot open the face " << path << "\n";
            FT_Done_FreeType(library);
            return 1;
        }
        faces.push_back(face);
    }
    // Line metrics come from the first face: every glyph shares its baseline.
    const int ascent = int(std::lround(faces[0]->size->metrics.ascender / 64.0));
    const int descent = int(std::lround(-faces[0]->size->metrics.descender / 64.0));
    const int pad = decl.Outline + std::max(0, std::abs(decl.ShadowX) + std::abs(decl.ShadowY) > 0 ? 1 : 0);
    const int padTop = pad + std::max(0, -decl.ShadowY), padBottom = pad + std::max(0, decl.ShadowY);
    const int height = ascent + descent + padTop + padBottom;

    std::vector<TGlyph> glyphs;
    int missing = 0;
    for (uint32_t code : decl.Codes) {
        FT_Face face = nullptr;
        for (FT_Face f : faces)
            if (FT_Get_Char_Index(f, code) != 0) {
                face = f;
                break;
            }
        if (!face && code != 0x20) {
            ++missing;
            continue;
        }
        TGlyph g;
        g.Code = code;
        if (!face) {
            g.Advance = std::max(1, decl.Size / 4);
        } else {
            if (FT_Load_Char(face, code, FT_LOAD_RENDER | decl.Hinting)) {
                ++missing;
                continue;
            }
            FT_GlyphSlot slot = face->glyph;
            g.Advance = int(std::lround(slot->advance.x / 64.0));
            g.Left = slot->bitmap_left;
            g.Top = slot->bitmap_top;
            g.W = int(slot->bitmap.width);
            g.H = int(slot->bitmap.rows);
            g.Coverage.resize(size_t(g.W) * g.H);
            for (int y = 0; y < g.H; ++y)
                for (int x = 0; x < g.W; ++x)
                    g.Coverage[size_t(y) * g.W + x] = slot->bitmap.buffer[y * slot->bitmap.pitch + x];
        }
        glyphs.push_back(std::move(g));
    }
    for (FT_Face f : faces)
        FT_Done_Face(f);
    FT_Done_FreeType(library);

    // Each glyph's cell spans its pen box and its ink box, widened by outline and shadow.
    std::vector<TPlaced> placed;
    std::vector<std::pair<int, int>> cellLeftRight;
    int x = 0, y = 0;
    const int gap = 2;
    for (const TGlyph& g : glyphs) {
        int left = std::min(0, g.Left - pad - std::max(0, -decl.ShadowX));
        int right = std::max(g.Advance, g.Left + g.W + pad + std::max(0, decl.ShadowX));
        int w = right - left;
        if (x + w > decl.Width) {
            x = 0;
            y += height + gap;
        }
        placed.push_back({g.Code, x, y, left, w, g.Advance + decl.Spacing - right});
        cellLeftRight.push_back({left, right});
        x += w + gap;
    }
    TRgbaImage picture(decl.Width, y + height);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const TGlyph& g = glyphs[i];
        const TPlaced& p = placed[i];
        if (g.W == 0 || g.H == 0)
            continue;
        // Work in a padded box around the ink so outline and shadow have room.
        const int m = pad + std::max(std::abs(decl.ShadowX), std::abs(decl.ShadowY)) + 1;
        const int bw = g.W + 2 * m, bh = g.H + 2 * m;
        std::vector<uint8_t> cov(size_t(bw) * bh, 0);
        for (int gy = 0; gy < g.H; ++gy)
            for (int gx = 0; gx < g.W; ++gx)
                cov[size_t(gy + m) * bw + gx + m] = g.Coverage[size_t(gy) * g.W + gx];
        std::vector<uint8_t> body = decl.Outline > 0 ? Dilate(cov, bw, bh, decl.Outline) : cov;
        // Box origin in the picture: pen at p.X - p.Before, baseline at p.Y + padTop + ascent.
        const int ox = p.X - p.Before + g.Left - m;
        const int oy = p.Y + padTop + ascent - g.Top - m;
        for (int by = 0; by < bh; ++by)
            for (int bx = 0; bx < bw; ++bx) {
                int px = ox + bx, py = oy + by;
                if (px < p.X || px >= p.X + p.Width || py < p.Y || py >= p.Y + height)
                    continue;
                uint8_t* pixel = picture.At(px, py);
                if (decl.ShadowPercent > 0) {
                    int sx = bx - decl.ShadowX, sy = by - decl.ShadowY;
                    if (sx >= 0 && sy >= 0 && sx < bw && sy < bh)
                        Over(pixel, decl.ShadowColour, body[size_t(sy) * bw + sx] / 255.0f * decl.ShadowPercent / 100.0f);
                }
                if (decl.Outline > 0)
                    Over(pixel, decl.OutlineColour, body[size_t(by) * bw + bx] / 255.0f);
                Over(pixel, TColour{255, 255, 255}, cov[size_t(by) * bw + bx] / 255.0f);
            }
    }
    // Fully transparent pixels carry white, so a filtered draw never pulls in dark fringes.
    for (size_t i = 0; i < picture.Pixels.size(); i += 4)
        if (picture.Pixels[i + 3] == 0)
            picture.Pixels[i] = picture.Pixels[i + 1] = picture.Pixels[i + 2] = 255;

    std::string metrics;
    for (const TPlaced& p : placed) {
        if (!metrics.empty())
            metrics += ',';
        metrics += std::to_string(p.Code) + ':' + std::to_string(p.X) + ':' + std::to_string(p.Y) + ':' +
                   std::to_string(p.Before) + ':' + std::to_string(p.Width) + ':' + std::to_string(p.After);
    }
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<QelFont Name=\"" + decl.Name + "\" Height=\"" +
                      std::to_string(height) + "\" Picture=\"" + decl.Picture + "\" Metrics=\"" + metrics +
                      "\" />\r\n";
    std::filesystem::path out(args[1]);
    if (!WriteFileAtomic(out / (decl.Name + ".xml"), xml, &error) ||
        !WriteFileAtomic(out / decl.Picture, WritePngRgba(picture), &error)) {
        std::cerr << "fontgen: " << error << "\n";
        return 1;
    }
    if (missing > 0)
        std::cerr << "fontgen: " << decl.Name << ": " << missing << " characters are in none of the faces\n";
    return 0;
}
