// Pictures into and out of the store: the PNG and JPEG loaders (archive entries, the
// split colour + mask form, plain files), saving, and the rebuild after a format change.
#include "graphics/SurfEngine.h"

#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "foundation/QelBaseClasses.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"

#include <algorithm>
#include <cstring>

namespace fs = std::filesystem;

namespace {

// The last three characters in upper case ("PNG", "JPG"); shorter names give themselves.
std::string Ending(std::string_view name)
{
    std::string end(name.size() >= 3 ? name.substr(name.size() - 3) : name);
    for (char& c : end)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return end;
}

std::optional<std::vector<uint8_t>> ReadEntry(const TDataSource& archive, std::string_view name)
{
    if (!archive.Exists(name))
        return std::nullopt;
    return archive.Read(name);
}

}  // namespace

std::unique_ptr<TSurface> TSurfEngine::MakeSurface(std::string_view name, std::string_view source, int width,
                                                   int height, std::span<const uint8_t> bgr,
                                                   std::span<const uint8_t> alpha) const
{
    const size_t count = static_cast<size_t>(width) * height;
    if (width < 1 || height < 1 || bgr.size() < count * 3 || (!alpha.empty() && alpha.size() < count))
        throw EImageError("picture size does not match its data");
    auto device = CreateSurface(width, height);
    if (!device)
        throw EImageError("no surface of " + IntToStr(width) + " x " + IntToStr(height));
    auto s = std::make_unique<TSurface>();
    s->Name = std::string(name);
    s->Source = std::string(source);
    s->Width = width;
    s->Height = height;
    s->Pixels = device->Pixels();
    s->Pitch = device->Pitch();
    s->Device = std::move(device);
    for (int y = 0; y < height; ++y)
        ConvertBgrRow(format_, bgr.data() + static_cast<size_t>(y) * width * 3, s->Row(y), width);
    if (!alpha.empty()) {
        s->Alpha.assign(alpha.begin(), alpha.begin() + static_cast<ptrdiff_t>(count));
        s->AlphaPitch = width;
    }
    return s;
}

bool TSurfEngine::AddDecodedPicture(std::string_view surfaceName, std::string_view source, int width, int height,
                                    std::span<const uint8_t> bgr, std::span<const uint8_t> alpha)
{
    AddSurface(MakeSurface(surfaceName, source, width, height, bgr, alpha));
    return true;
}

void TSurfEngine::LoadPngFromFileFolder(const TDataSource& archive, std::string_view surfaceName,
                                        std::string_view entryName)
{
    TDecodedImage image;
    if (auto bytes = ReadEntry(archive, entryName)) {
        image = DecodePng(*bytes);
    } else {
        // The split form: colours from a JPEG, alpha from a grey PNG mask of the same size.
        const std::string base(entryName.substr(0, entryName.find('.')));
        auto mask = ReadEntry(archive, base + "._PNG");
        auto colours = ReadEntry(archive, base + "._JPG");
        if (!mask || !colours)
            return;
        image = DecodeJpeg(*colours);
        TDecodedImage grey = DecodePng(*mask);
        image.HasAlpha = true;
        image.Alpha.assign(static_cast<size_t>(image.Width) * image.Height, 255);
        const int w = std::min(image.Width, grey.Width);
        const int h = std::min(image.Height, grey.Height);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.Alpha[static_cast<size_t>(y) * image.Width + x] = grey.Bgr[(static_cast<size_t>(y) * grey.Width + x) * 3];
        if (grey.Width != image.Width || grey.Height != image.Height)
            Log("Error LoadSurfFromFile " + std::string(entryName));
    }
    if (!image.HasAlpha)
        image.Alpha.assign(static_cast<size_t>(image.Width) * image.Height, 255);
    AddSurface(MakeSurface(surfaceName, entryName, image.Width, image.Height, image.Bgr, image.Alpha));
}

bool TSurfEngine::LoadPngFromFile(std::string_view surfaceName, const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return false;
    auto bytes = ReadFileBytes(path);
    if (!bytes)
        return false;
    TDecodedImage image = DecodePng(*bytes);
    AddSurface(MakeSurface(surfaceName, path.string(), image.Width, image.Height, image.Bgr, image.Alpha));
    return true;
}

void TSurfEngine::LoadJpgFromFileFolder(const TDataSource& archive, std::string_view surfaceName,
                                        std::string_view entryName)
{
    auto bytes = ReadEntry(archive, entryName);
    if (!bytes)
        return;
    TDecodedImage image = DecodeJpeg(*bytes);
    AddSurface(MakeSurface(surfaceName, entryName, image.Width, image.Height, image.Bgr, {}));
}

bool TSurfEngine::LoadJpgFromFile(std::string_view surfaceName, const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return false;
    auto bytes = ReadFileBytes(path);
    if (!bytes)
        return false;
    TDecodedImage image = DecodeJpeg(*bytes);
    AddSurface(MakeSurface(surfaceName, path.string(), image.Width, image.Height, image.Bgr, {}));
    return true;
}

bool TSurfEngine::LoadSurfFromFileOrFileFolder(const TDataSource& data, std::string_view fileName,
                                               std::string_view surfaceName, double scale)
{
    const std::string name(surfaceName.empty() ? fileName : surfaceName);
    if (IndexOfSurface(name) >= 0)
        return true;
    LogAndCarryOn(log_, "Error LoadSurfFromFile " + std::string(fileName), [&] {
        const std::string type = Ending(fileName);
        const bool jpg = type == "JPG";
        if (!jpg && type != "PNG")
            return;
        if (data.IsArchive()) {
            if (jpg)
                LoadJpgFromFileFolder(data, name, fileName);
            else
                LoadPngFromFileFolder(data, name, fileName);
        } else if (auto path = ResolveFileNoCase(data.Folder(), fileName)) {
            if (jpg)
                LoadJpgFromFile(name, *path);
            else
                LoadPngFromFile(name, *path);
        }
        int32_t w = 0, h = 0;
        if (scale != 0 && GetSurfaceSize(name, w, h)) {
            const int newWidth = RoundHalfEven(w / scale);
            const int newHeight = RoundHalfEven(h / scale);
            // A scale that would leave nothing (negative, or rounding a side to 0) keeps
            // the picture as loaded.
            if (newWidth >= 1 && newHeight >= 1)
                ResizeSurface(name, newWidth, newHeight, true);
        }
    });
    return IndexOfSurface(name) >= 0;
}

bool TSurfEngine::SaveSurfaceToPng(std::string_view name, std::vector<uint8_t>& stream) const
{
    const TSurface* s = FindSurface(name);
    if (!s || !s->HasPixels() || !format_.IsDrawable())
        return false;
    std::vector<uint8_t> bgr(static_cast<size_t>(s->Width) * s->Height * 3);
    for (int y = 0; y < s->Height; ++y)
        PixelsToBgrRow(format_, s->Row(y), bgr.data() + static_cast<size_t>(y) * s->Width * 3, s->Width);
    try {
        stream = EncodePng(s->Width, s->Height, bgr, s->HasAlpha() ? std::span<const uint8_t>(s->Alpha) : std::span<const uint8_t>());
    } catch (const EImageError&) {
        return false;
    }
    return true;
}

bool TSurfEngine::SaveSurfaceToJpg(std::string_view name, std::vector<uint8_t>& stream) const
{
    const TSurface* s = FindSurface(name);
    if (!s || !s->HasPixels() || !format_.IsDrawable())
        return false;
    std::vector<uint8_t> bgr(static_cast<size_t>(s->Width) * s->Height * 3);
    for (int y = 0; y < s->Height; ++y)
        PixelsToBgrRow(format_, s->Row(y), bgr.data() + static_cast<size_t>(y) * s->Width * 3, s->Width);
    try {
        stream = EncodeJpeg(s->Width, s->Height, bgr);
    } catch (const EImageError&) {
        return false;
    }
    return true;
}

// ---- Display format change ---------------------------------------------------------------

void TSurfEngine::ChangeDisplayFormat(const TDisplayFormat& display)
{
    format_ = TPixelFormat::Analyse(display);
    for (auto& s : surfaces_) {
        s->Device.reset();
        s->Pixels = nullptr;
        s->Pitch = 0;
    }
}

void TSurfEngine::ReloadFromSource(const TDataSource& data, const fs::path& appFolder, const std::string& name,
                                   const std::string& source)
{
    const std::string type = Ending(source);
    try {
        if (type == "PNG") {
            if (data.IsArchive())
                LoadPngFromFileFolder(data, name, source);
            else
                LoadPngFromFile(name, source);
        } else if (type == "JPG") {
            if (!data.IsArchive())
                LoadJpgFromFile(name, source);
            else if (data.Exists(source))
                LoadJpgFromFileFolder(data, name, source);
            else
                LoadJpgFromFile(name, appFolder / source);
        }
    } catch (const EImageError&) {
        // One damaged picture must not keep the others from coming back.
        Log("Error LoadSurfFromFile " + source);
    }
}

void TSurfEngine::ReinitSurfaces(const TDataSource& data, const fs::path& appFolder, std::string_view priorityList,
                                 int height, int width)
{
    QelGuardMessage("Exception Error in TSurfEngine.ReinitSurfaces.", [&] {
        screenHeight_ = height;
        screenWidth_ = width;

        // The pictures the progress screen itself needs come back first.
        size_t start = 0;
        while (start < priorityList.size()) {
            size_t end = priorityList.find_first_of(" \t", start);
            if (end == std::string_view::npos)
                end = priorityList.size();
            const std::string word(priorityList.substr(start, end - start));
            start = end + 1;
            const TSurface* s = word.empty() ? nullptr : FindSurface(word);
            // A surface made in memory has nothing to reload from; the rebuild pass below
            // gives it back blank instead of losing it here.
            if (!s || s->Source.empty())
                continue;
            const std::string source = s->Source;
            DeleteSurface(word);
            ReloadFromSource(data, appFolder, word, source);
        }

        // Each released surface leaves the front and comes back rebuilt at the end, so
        // after n steps the store holds every surface once, in its old order.
        const int n = SurfaceCount();
        const int step = n > 0 ? (n - 1) / 20 : 0;
        int threshold = 0;
        for (int i = 0; i < n; ++i) {
            TSurface* first = SurfaceAt(0);
            if (!first || first->HasPixels())
                continue;
            const std::string name = first->Name;
            const std::string source = first->Source;
            if (source.empty()) {
                auto device = CreateSurface(first->Width, first->Height);
                if (!device)
                    break;
                auto blank = std::make_unique<TSurface>();
                blank->Name = name;
                blank->Width = first->Width;
                blank->Height = first->Height;
                blank->Pixels = device->Pixels();
                blank->Pitch = device->Pitch();
                blank->Device = std::move(device);
                surfaces_.push_back(std::move(blank));
            }
            surfaces_.erase(surfaces_.begin());
            Rehash();
            if (!source.empty())
                ReloadFromSource(data, appFolder, name, source);
            if (i > threshold && n > 1) {
                if (Progress)
                    Progress(RoundHalfEven(i * 100.0 / (n - 1)));
                threshold += step;
            }
        }
    });
}
