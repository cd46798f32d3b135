// svgraster: draws one SVG picture at a given size and writes it as PNG (with alpha) or JPEG.
#include "tools/imageio/ImageIo.h"

#include "foundation/Files.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

static const char* kHelp =
    "usage: svgraster IN.svg OUT.png|OUT.jpg WIDTH HEIGHT [--set NAME=VALUE]... [--quality Q]\n"
    "\n"
    "Draws IN.svg scaled to WIDTH x HEIGHT pixels. Every {{NAME}} in the SVG text is first\n"
    "replaced by its --set value, so one drawing can make a family of pictures. A .png output\n"
    "keeps the alpha channel; a .jpg output (quality Q, default 90) must be opaque.\n"
    "The same input always gives the same bytes.\n";

static int Fail(const std::string& message)
{
    std::cerr << "svgraster: " << message << "\n";
    return 1;
}

static bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Replaces each {{NAME}}; an unknown name is an error, so a typo never reaches a picture.
static bool Substitute(std::string& text, const std::map<std::string, std::string>& values, std::string& error)
{
    std::string out;
    size_t pos = 0;
    while (true) {
        size_t open = text.find("{{", pos);
        if (open == std::string::npos) {
            out += text.substr(pos);
            break;
        }
        size_t close = text.find("}}", open);
        if (close == std::string::npos) {
            error = "unclosed {{ in the drawing";
            return false;
        }
        std::string name = text.substr(open + 2, close - open - 2);
        auto it = values.find(name);
        if (it == values.end()) {
            error = "the drawing uses {{" + name + "}} but no --set gives it";
            return false;
        }
        out += text.substr(pos, open - pos) + it->second;
        pos = close + 2;
    }
    text = std::move(out);
    return true;
}

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            std::cout << kHelp;
            return 0;
        }
    std::map<std::string, std::string> values;
    std::vector<std::string> positional;
    int quality = 90;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--set" && i + 1 < args.size()) {
            const std::string& kv = args[++i];
            size_t eq = kv.find('=');
            if (eq == std::string::npos)
                return Fail("--set needs NAME=VALUE, got \"" + kv + "\"");
            values[kv.substr(0, eq)] = kv.substr(eq + 1);
        } else if (args[i] == "--quality" && i + 1 < args.size()) {
            quality = std::atoi(args[++i].c_str());
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 4) {
        std::cerr << kHelp;
        return 1;
    }
    const std::string& in = positional[0];
    const std::string& out = positional[1];
    const int width = std::atoi(positional[2].c_str()), height = std::atoi(positional[3].c_str());
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096)
        return Fail("size " + positional[2] + " x " + positional[3] + " is out of range");
    const bool jpeg = EndsWith(out, ".jpg") || EndsWith(out, ".JPG");
    if (!jpeg && !EndsWith(out, ".png") && !EndsWith(out, ".PNG"))
        return Fail("the output must end in .png or .jpg: " + out);

    std::string readError;
    auto bytes = ReadFileBytes(in, &readError);
    if (!bytes)
        return Fail(readError);
    std::string text(bytes->begin(), bytes->end()), error;
    if (!Substitute(text, values, error))
        return Fail(in + ": " + error);

    GError* gerror = nullptr;
    RsvgHandle* handle =
        rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(text.data()), text.size(), &gerror);
    if (!handle) {
        std::string message = gerror ? gerror->message : "unreadable SVG";
        if (gerror)
            g_error_free(gerror);
        return Fail(in + ": " + message);
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    RsvgRectangle viewport{0, 0, double(width), double(height)};
    const bool drawn = rsvg_handle_render_document(handle, cr, &viewport, &gerror);
    cairo_destroy(cr);
    g_object_unref(handle);
    if (!drawn) {
        std::string message = gerror ? gerror->message : "cannot draw";
        if (gerror)
            g_error_free(gerror);
        cairo_surface_destroy(surface);
        return Fail(in + ": " + message);
    }
    cairo_surface_flush(surface);

    // Cairo holds premultiplied native-endian ARGB; the pictures want straight RGBA.
    TRgbaImage image(width, height);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < width; ++x) {
            uint32_t p = row[x];
            uint32_t a = p >> 24, r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
            uint8_t* o = image.At(x, y);
            if (a == 0) {
                o[0] = o[1] = o[2] = o[3] = 0;
                continue;
            }
            o[0] = uint8_t(std::min<uint32_t>(255, (r * 255 + a / 2) / a));
            o[1] = uint8_t(std::min<uint32_t>(255, (g * 255 + a / 2) / a));
            o[2] = uint8_t(std::min<uint32_t>(255, (b * 255 + a / 2) / a));
            o[3] = uint8_t(a);
        }
    }
    cairo_surface_destroy(surface);

    if (jpeg) {
        int seeThrough = 0;
        for (size_t i = 3; i < image.Pixels.size(); i += 4)
            seeThrough += image.Pixels[i] < 250;
        if (seeThrough > 0)
            return Fail(in + ": a JPEG picture must be opaque, but " + std::to_string(seeThrough) +
                        " pixels are transparent (give the drawing a full background)");
    }
    std::vector<uint8_t> encoded = jpeg ? WriteJpegRgba(image, quality) : WritePngRgba(image);
    if (encoded.empty())
        return Fail("cannot encode " + out);
    if (!WriteFileAtomic(out, encoded, &error))
        return Fail(error);
    return 0;
}
