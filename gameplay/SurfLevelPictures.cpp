// Level pictures through the surface store.
#include "gameplay/SurfLevelPictures.h"

#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "graphics/SurfEngine.h"

TSurfLevelPictures::TSurfLevelPictures(TSurfEngine& surfaces, const TDataSource& data,
                                       std::function<bool(std::string_view)> permanent)
    : surfaces_(surfaces), data_(data), permanent_(std::move(permanent))
{
}

bool TSurfLevelPictures::HasPicture(std::string_view name) const { return surfaces_.FindSurface(name) != nullptr; }

bool TSurfLevelPictures::PictureSize(std::string_view name, int32_t& width, int32_t& height) const
{
    return surfaces_.GetSurfaceSize(name, width, height);
}

void TSurfLevelPictures::LoadPicture(std::string_view name)
{
    std::string lower = AsciiLower(name);
    if (lower.size() < 3 || lower.compare(lower.size() - 3, 3, "png") != 0) {
        surfaces_.LoadSurfFromFileOrFileFolder(data_, name);
        return;
    }
    // The archive's picture loader raises on a missing or damaged entry; a level goes on
    // without that one picture.
    LogAndCarryOn(surfaces_.GameLog(), "Error LoadSurfFromFile " + std::string(name),
                  [&] { surfaces_.LoadPngFromFileFolder(data_, name, name); });
}

void TSurfLevelPictures::ReleasePicture(std::string_view name) { surfaces_.DeleteSurface(name); }

bool TSurfLevelPictures::IsPermanent(std::string_view name) const { return permanent_ && permanent_(name); }
