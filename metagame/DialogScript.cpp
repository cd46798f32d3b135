// Dialog script files: pattern expansion, the lines and their attributes, and what a
// strict reading finds wrong with them.
#include "metagame/DialogScript.h"

#include "foundation/DataSource.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"

#include <functional>
#include <map>
#include <set>

namespace {

struct TCommandRow {
    std::string_view Name;
    TDialogCommand Kind;
};

constexpr TCommandRow kCommands[] = {
    {"CreatePicture", TDialogCommand::CreatePicture},
    {"ChangePicture", TDialogCommand::ChangePicture},
    {"PlaySound", TDialogCommand::PlaySound},
    {"StopSound", TDialogCommand::StopSound},
    {"PlayMusic", TDialogCommand::PlayMusic},
    {"StopMusic", TDialogCommand::StopMusic},
    {"CreateEffect", TDialogCommand::CreateEffect},
    {"DeleteEffect", TDialogCommand::DeleteEffect},
    {"ChangeInterfaceObject", TDialogCommand::ChangeInterfaceObject},
    {"Pause", TDialogCommand::Pause},
    {"CreateButton", TDialogCommand::CreateButton},
    {"SendMessage", TDialogCommand::SendMessage},
    {"EndForSkip", TDialogCommand::EndForSkip},
};

// The messages a level takes.
const std::set<std::string, std::less<>> kMessages = {"ShowThings", "HideThings"};

std::vector<std::string_view> SplitComma(std::string_view s)
{
    std::vector<std::string_view> parts;
    size_t from = 0;
    while (true) {
        const size_t comma = s.find(',', from);
        parts.push_back(s.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
        if (comma == std::string_view::npos)
            return parts;
        from = comma + 1;
    }
}

// Reads one line's attributes. Values are read as the game reads them (leading digits,
// "true"/"false"); in strict mode a value that does not read whole is a problem.
class TLineReader {
public:
    TLineReader(TDialogList& line, bool strict, std::vector<std::string>& complaints)
        : line_(line), strict_(strict), complaints_(complaints)
    {
    }

    using TRead = void (TLineReader::*)(const std::string& name, const std::string& value);
    struct TAttributeRow {
        std::string_view Name;
        TRead Read;
    };
    static const std::vector<TAttributeRow>& Attributes();

    void Read(const std::string& name, const std::string& value)
    {
        for (const TAttributeRow& row : Attributes())
            if (row.Name == name)
                return (this->*row.Read)(name, value);
        if (strict_)
            complaints_.push_back("unknown attribute \"" + name + "\"");
    }

private:
    int32_t Int(const std::string& name, const std::string& value)
    {
        if (strict_ && !StrictInt(value))
            Complain(name, value);
        return LeadingInt(value);
    }
    bool Bool(const std::string& name, const std::string& value)
    {
        const std::optional<bool> b = StrictBool(Trim(value));
        if (!b && strict_)
            Complain(name, value);
        return b.value_or(false);
    }
    TPoint Point(const std::string& name, const std::string& value)
    {
        const std::vector<std::string_view> parts = SplitComma(value);
        if (strict_ && (parts.size() != 2 || !StrictInt(parts[0]) || !StrictInt(parts[1])))
            Complain(name, value);
        return {LeadingInt(parts[0]), parts.size() > 1 ? LeadingInt(parts[1]) : 0};
    }
    void Complain(const std::string& name, const std::string& value)
    {
        complaints_.push_back(name + " \"" + value + "\" does not read");
    }

    void ReadID(const std::string&, const std::string& v) { line_.ID = v; }
    void ReadTime(const std::string& n, const std::string& v) { line_.Time = Int(n, v); }
    void ReadFileName(const std::string&, const std::string& v) { line_.FileName = v; }
    void ReadPattern(const std::string&, const std::string& v) { line_.Pattern = v; }
    void ReadPos(const std::string& n, const std::string& v) { line_.Pos = Point(n, v); }
    void ReadAlpha(const std::string& n, const std::string& v) { line_.Alpha = Int(n, v); }
    void ReadVisible(const std::string& n, const std::string& v) { line_.Visible = Bool(n, v); }
    void ReadEnabled(const std::string& n, const std::string& v) { line_.Enabled = Bool(n, v); }
    void ReadCaption(const std::string&, const std::string& v) { line_.Caption = v; }
    void ReadColor(const std::string& n, const std::string& v) { line_.Color = Int(n, v); }
    void ReadMouseOverColor(const std::string& n, const std::string& v) { line_.MouseOverColor = Int(n, v); }
    void ReadPosFrom(const std::string& n, const std::string& v) { line_.PosFrom = Point(n, v); }
    void ReadPosTo(const std::string& n, const std::string& v) { line_.PosTo = Point(n, v); }
    void ReadAlphaFrom(const std::string& n, const std::string& v) { line_.AlphaFrom = Int(n, v); }
    void ReadAlphaTo(const std::string& n, const std::string& v) { line_.AlphaTo = Int(n, v); }
    void ReadDuration(const std::string& n, const std::string& v) { line_.Duration = Int(n, v); }
    void ReadInterfaceObject(const std::string&, const std::string& v) { line_.InterfaceObject = v; }
    void ReadPrintPause(const std::string& n, const std::string& v) { line_.PrintPause = Bool(n, v); }
    void ReadNextButton(const std::string& n, const std::string& v) { line_.NextButton = Bool(n, v); }
    void ReadSelectOnFish(const std::string& n, const std::string& v) { line_.SelectOnFish = Int(n, v); }
    void ReadAnimeFiles(const std::string&, const std::string& v) { line_.AnimeFiles = v; }
    void ReadMouse(const std::string&, const std::string& v)
    {
        const std::string lower = AsciiLower(v);
        line_.Mouse = static_cast<uint8_t>((lower.find("left") != std::string::npos ? DialogMouse::kLeft : 0) |
                                           (lower.find("right") != std::string::npos ? DialogMouse::kRight : 0) |
                                           (lower.find("middle") != std::string::npos ? DialogMouse::kMiddle : 0));
    }
    void ReadKeyDown(const std::string& n, const std::string& v)
    {
        for (std::string_view part : SplitComma(v))
            if (!TrimView(part).empty())
                line_.KeyDown.push_back(Int(n, std::string(part)));
    }
    void ReadMouseDownRect(const std::string& n, const std::string& v)
    {
        const std::vector<std::string_view> parts = SplitComma(v);
        if (strict_ && parts.size() != 4)
            Complain(n, v);
        int32_t c[4] = {};
        for (size_t k = 0; k < 4 && k < parts.size(); ++k)
            c[k] = Int(n, std::string(parts[k]));
        line_.MouseDownRect = TRect{c[0], c[1], c[2], c[3]};
    }

    TDialogList& line_;
    bool strict_;
    std::vector<std::string>& complaints_;
};

const std::vector<TLineReader::TAttributeRow>& TLineReader::Attributes()
{
    using R = TLineReader;
    static const std::vector<TAttributeRow> rows = {
        {"ID", &R::ReadID},
        {"Time", &R::ReadTime},
        {"FileName", &R::ReadFileName},
        {"Pattern", &R::ReadPattern},
        {"Pos", &R::ReadPos},
        {"Alpha", &R::ReadAlpha},
        {"Visible", &R::ReadVisible},
        {"Enabled", &R::ReadEnabled},
        {"Caption", &R::ReadCaption},
        {"Color", &R::ReadColor},
        {"MouseOverColor", &R::ReadMouseOverColor},
        {"PosFrom", &R::ReadPosFrom},
        {"PosTo", &R::ReadPosTo},
        {"AlphaFrom", &R::ReadAlphaFrom},
        {"AlphaTo", &R::ReadAlphaTo},
        {"Duration", &R::ReadDuration},
        {"InterfaceObject", &R::ReadInterfaceObject},
        {"PrintPause", &R::ReadPrintPause},
        {"NextButton", &R::ReadNextButton},
        {"SelectOnFish", &R::ReadSelectOnFish},
        {"AnimeFiles", &R::ReadAnimeFiles},
        {"Mouse", &R::ReadMouse},
        {"KeyDown", &R::ReadKeyDown},
        {"MouseDownRect", &R::ReadMouseDownRect},
    };
    return rows;
}

// Whether a press or a key can ever pass the pause: keys only when it waits for no piece,
// presses only inside a rectangle that has room for one.
bool CanEnd(const TDialogList& line)
{
    const bool byMouse = line.Mouse != 0 &&
                         (line.SelectOnFish >= 0 || !line.MouseDownRect || !line.MouseDownRect->IsEmpty());
    const bool byKey = !line.KeyDown.empty() && line.SelectOnFish < 0;
    return byMouse || byKey;
}

void CollectPatterns(const TQelXMLTag& tag, std::map<std::string, const TQelXMLTag*, std::less<>>& templates)
{
    for (const auto& child : tag.Children) {
        if (child->Name == "CreatePattern")
            templates.emplace(child->AttributeValue("ID"), child.get());  // the first of an ID counts
        CollectPatterns(*child, templates);
    }
}

// A copy of a line with its name, text and attributes, without child elements.
TQelXMLTag* CopyLine(TQelXMLTag& dialog, const TQelXMLTag& line)
{
    TQelXMLTag* copy = dialog.AddChild(line.Name, line.Text);
    for (const auto& a : line.Attributes)
        copy->AddAttribute(a->Name, a->Value);
    return copy;
}

}  // namespace

std::optional<TDialogCommand> DialogCommandByName(std::string_view name)
{
    for (const TCommandRow& row : kCommands)
        if (row.Name == name)
            return row.Kind;
    return std::nullopt;
}

bool IsSkipButton(std::string_view widget)
{
    for (const char* name : kSkipButtons)
        if (widget == name)
            return true;
    return false;
}

void ExpandPatterns(const TQelXMLTag& root, TQelXMLTag& dialog, std::vector<std::string>* unknownIds)
{
    std::map<std::string, const TQelXMLTag*, std::less<>> templates;
    CollectPatterns(root, templates);
    // The old lines stay alive until the new ones are made: templates may be among them.
    std::vector<std::unique_ptr<TQelXMLTag>> old = std::move(dialog.Children);
    dialog.Children.clear();
    for (const auto& line : old) {
        if (line->Name == "CreatePattern")
            continue;
        if (line->Name != "Pattern") {
            CopyLine(dialog, *line);
            continue;
        }
        const std::string id = line->AttributeValue("ID");
        auto found = templates.find(id);
        if (found == templates.end()) {
            if (unknownIds)
                unknownIds->push_back(id);
            continue;
        }
        for (const auto& templ : found->second->Children) {
            TQelXMLTag* copy = CopyLine(dialog, *templ);
            for (const auto& a : copy->Attributes) {
                // "%%X" is the parameter X, given by the Pattern's attribute "VX".
                if (!a->Value.starts_with("%%"))
                    continue;
                if (const TQelParserAttribute* given = line->GetAttributeByName("V" + a->Value.substr(2)))
                    a->Value = given->Value;
            }
        }
    }
}

TDialogScript ReadDialogScript(std::string_view xml, const std::string& fileName, TDialogReadMode mode)
{
    const bool strict = mode == TDialogReadMode::Strict;
    TDialogScript script;
    TQelParser document;
    document.LoadFromText(xml);
    if (!document.LastError.empty()) {
        script.Error = document.LastError;
        return script;
    }
    TQelXMLTag* dialog = document.FindChildByName("Dialog");
    if (!dialog) {
        script.Error = "no Dialog element";
        return script;
    }
    std::vector<std::string> unknownPatterns;
    ExpandPatterns(document, *dialog, &unknownPatterns);
    if (strict)
        for (const std::string& id : unknownPatterns)
            script.Problems.push_back(fileName + ": no CreatePattern with ID \"" + id + "\"");

    bool skipButton = false;
    for (const auto& tag : dialog->Children) {
        TDialogList line;
        line.Command = tag->Name;
        const std::optional<TDialogCommand> kind = DialogCommandByName(tag->Name);
        line.Kind = kind.value_or(TDialogCommand::None);
        std::vector<std::string> complaints;
        if (!kind && strict)
            complaints.push_back("unknown command");
        TLineReader reader(line, strict, complaints);
        std::set<std::string, std::less<>> seen;
        for (const auto& a : tag->Attributes)
            if (seen.insert(a->Name).second)  // the first of a name counts
                reader.Read(a->Name, a->Value);
        if (!tag->GetAttributeByName("NextButton"))
            line.NextButton = !tag->Attributes.empty();
        if (line.Kind == TDialogCommand::Pause && line.Time == 0 && !CanEnd(line)) {
            line.Unending = true;
            complaints.push_back("a pause with Time 0 that no press or key can end");
        }
        if (strict && line.Kind == TDialogCommand::SendMessage && !kMessages.count(line.ID))
            complaints.push_back("unknown message \"" + line.ID + "\"");
        if (line.Kind == TDialogCommand::CreateButton && IsSkipButton(line.InterfaceObject))
            skipButton = true;
        if (line.Kind == TDialogCommand::EndForSkip && script.SkipTarget < 0)
            script.SkipTarget = static_cast<int32_t>(script.Lines.size());
        const std::string where =
            fileName + " line " + std::to_string(script.Lines.size() + 1) + " (" + line.Command + "): ";
        for (const std::string& c : complaints)
            script.Problems.push_back(where + c);
        script.Lines.push_back(std::move(line));
    }
    if (strict && skipButton && script.SkipTarget < 0)
        script.Problems.push_back(fileName + ": a skip button but no EndForSkip line");
    return script;
}

TDialogScript ReadDialogScript(const TDataSource& data, const std::string& fileName, TDialogReadMode mode)
{
    std::string error;
    const std::optional<std::vector<uint8_t>> bytes = data.Read(fileName, &error);
    if (!bytes) {
        TDialogScript script;
        script.Error = error.empty() ? "cannot be read" : error;
        return script;
    }
    return ReadDialogScript(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), fileName,
                            mode);
}
