// Writing a level back into its file: the parts the editor changes (the belts' paths and
// picture, the heap pictures, the customer places) go into the file's own document, and
// everything else the file holds stays as it was read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TQelXMLTag;
class tLevel;

// One node of a belt path: its point, its pair of handle angles and its pair of handle
// corrections, as the path script writes "(x,y)[a,b]{c,d}".
struct TPathNode {
    double X = 0;
    double Y = 0;
    double FirstAngle = 0;
    double SecondAngle = 0;
    double FirstCorrection = 1;
    double SecondCorrection = 1;
    friend bool operator==(const TPathNode&, const TPathNode&) = default;
};

// The nodes of the "Path" command of a path script; none when it has no such command.
std::vector<TPathNode> ReadPathNodes(std::string_view script);
// " (x,y)" per node, with "[a,b]" when an angle is set and "{c,d}" when a correction
// differs from 1; the same text whatever the locale.
std::string PathNodesText(const std::vector<TPathNode>& nodes);
// The belt script of those nodes: a looping path at the belts' timing.
std::string BeltPathScript(const std::vector<TPathNode>& nodes);

// A real with three decimals and "." as separator, whatever the locale.
std::string FormatFixed3(double value);

// Writes an attribute, adding it when missing. A value that already reads the same (an
// integer with other spelling, "007" for 7) keeps its spelling, so an unchanged model
// leaves its file unchanged.
void SetAttributeText(TQelXMLTag& tag, std::string_view name, const std::string& value);
void SetAttributeInt(TQelXMLTag& tag, std::string_view name, int32_t value);

// Puts the level's editable parts into the document of its file (root is the level
// element). Values that already read as the level holds them are left as written, so an
// unchanged level gives an unchanged document.
void WriteLevelToDocument(TQelXMLTag& root, const tLevel& level);

// The file text after writing the level into the original text: what changed is spliced
// in and everything else (comments, layout, line ends) stays byte for byte. Nothing when
// the original holds no element.
std::optional<std::string> WriteLevelText(std::string_view original, const tLevel& level);

// The first way in which two levels read from files differ ("Scene.PersPosition[1].X:
// 580 != 590"); empty when they are the same. Running state is not compared.
std::string FirstLevelDifference(const tLevel& a, const tLevel& b);
