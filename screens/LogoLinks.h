// A distributor's clickable logos from "AddLogo.xml" beside the program: labels placed on
// any form, each opening its link. A link opens only when it is a web or mail address, or
// a document lying directly in the program folder; a data file never gets to run a program.
#pragma once

#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class IUrlOpener;
class TQelXMLTag;

inline constexpr const char* kLogoFileName = "AddLogo.xml";

// One entry's link as the file gives it: the target and whether it names a file of the
// program folder (an entry without Source).
struct TLogoLink {
    std::string Target;
    bool InProgramFolder = false;
};

// What may be handed to the desktop's opener for a link: the address itself for http:,
// https: and mailto:; "file://" and the percent-encoded path for a document (htm, html,
// pdf, txt) that exists directly in the program folder, named by a bare name; the address
// of a ".url" shortcut there when that address passes. Nothing else (why says why).
std::optional<std::string> SafeLinkTarget(const TLogoLink& link, const std::filesystem::path& programFolder,
                                          std::string* why = nullptr);

class TLogoLinks {
public:
    explicit TLogoLinks(TScreenContext& context);

    void SetOpener(IUrlOpener* opener) { opener_ = opener; }
    // Reads the file and makes or updates the logo labels; a missing file changes nothing.
    void LoadLogoLinks(const std::filesystem::path& path);
    void LoadLogoLinks() { LoadLogoLinks(c_.ProgramFolder / kLogoFileName); }
    // The mouse-up of a logo: its link, when it passes, goes to the opener.
    void AddLogoMouseUp();

    const std::vector<TLogoLink>& Links() const { return links_; }

private:
    void PlaceLogo(size_t index, const TQelXMLTag& entry);
    std::string LoadLogoPicture(const std::string& name);
    std::string ResolveRegistryPath(const std::string& path) const;

    TScreenContext& c_;
    IUrlOpener* opener_ = nullptr;
    std::vector<TLogoLink> links_;
    std::vector<std::string> pictures_;
    TScreenMethods methods_;
};
