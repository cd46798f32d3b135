// Dialog script files ("Script_*.xml"): the lines of the first Dialog element after the
// patterns are expanded, each line one command with its attributes. The reader also
// names what is wrong with a script, so a content check can refuse it.
#pragma once

#include "foundation/Geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TDataSource;
class TQelXMLTag;

// The commands, numbered as the player's kinds of line.
enum class TDialogCommand : uint8_t {
    None = 0,  // any other element: no action, but the line takes its place in the timing
    CreatePicture = 1,
    ChangePicture = 2,
    PlaySound = 3,
    StopSound = 4,
    PlayMusic = 5,
    StopMusic = 6,
    CreateEffect = 7,
    DeleteEffect = 8,
    ChangeInterfaceObject = 9,
    Pause = 10,
    CreateButton = 11,
    SendMessage = 13,
    EndForSkip = 14,  // where a skip continues
};

// The command of an element name; nothing for a name that is no command.
std::optional<TDialogCommand> DialogCommandByName(std::string_view name);

// Mouse buttons a pause accepts.
namespace DialogMouse {
constexpr uint8_t kLeft = 1;
constexpr uint8_t kRight = 2;
constexpr uint8_t kMiddle = 4;
}  // namespace DialogMouse

// The names of the skip buttons: a button area made from one of them skips to the
// EndForSkip line.
inline constexpr const char* kSkipButtons[] = {"WGame_BSkip", "WMap_BSkip"};
bool IsSkipButton(std::string_view widget);

// One line. A missing attribute gives 0, empty or false unless said otherwise.
struct TDialogList {
    std::string Command;  // the element name as written
    TDialogCommand Kind = TDialogCommand::None;
    std::string ID;  // object identifier; for SendMessage the message
    int32_t Time = 0;  // ms from the start of the segment the line belongs to
    std::string FileName;
    std::string Pattern;
    TPoint Pos;
    int32_t Alpha = 0;
    std::optional<bool> Visible;  // applied only when present
    std::optional<bool> Enabled;
    std::optional<std::string> Caption;  // the widget whose caption is copied
    std::optional<int32_t> Color;
    std::optional<int32_t> MouseOverColor;
    TPoint PosFrom, PosTo;
    int32_t AlphaFrom = 0;
    int32_t AlphaTo = 0;
    int32_t Duration = 0;  // ms
    std::string InterfaceObject;
    bool PrintPause = false;
    bool NextButton = false;  // true by default on a line that has any attribute
    int32_t SelectOnFish = -1;
    std::string AnimeFiles;
    uint8_t Mouse = 0;  // DialogMouse bits
    std::vector<int32_t> KeyDown;
    std::optional<TRect> MouseDownRect;  // absent: the whole screen
    // A Pause with Time 0 that neither a press nor a key can end.
    bool Unending = false;
};

enum class TDialogReadMode {
    Lenient,  // as the game plays: only what makes a script stop for ever is named
    Strict,   // content checks: also unknown commands, patterns and messages, a skip
              // button without an EndForSkip line, and values that do not read
};

struct TDialogScript {
    std::vector<TDialogList> Lines;
    int32_t SkipTarget = -1;  // the first EndForSkip line; -1 without one
    // Why the file gave no lines (missing, unreadable, no Dialog element); empty when read.
    std::string Error;
    // What is wrong with the lines, one text each; a content check refuses any.
    std::vector<std::string> Problems;
};

// Reads a script from its XML text; fileName only names it in the problems.
TDialogScript ReadDialogScript(std::string_view xml, const std::string& fileName, TDialogReadMode mode);
// Reads the named script of the game data (archive entry or data-folder file).
TDialogScript ReadDialogScript(const TDataSource& data, const std::string& fileName, TDialogReadMode mode);

// Replaces each Pattern line of dialog by copies of the lines of the first CreatePattern
// of its ID anywhere under root, and drops the CreatePattern lines; other lines stay,
// without child elements. A value "%%N" in a copy takes the Pattern's attribute "VN" when
// it has one. One pass: a Pattern inside a template stays a Pattern line. Pattern IDs
// without template are added to unknownIds when given.
void ExpandPatterns(const TQelXMLTag& root, TQelXMLTag& dialog, std::vector<std::string>* unknownIds = nullptr);
