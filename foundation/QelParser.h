// The XML dialect every data file is written in: elements, double-quoted attributes,
// text, comments and one head line. A document is read in two passes (typified lines,
// then the tree) and written back in a fixed layout with CR LF line ends.
#pragma once

#include "foundation/MemoryStream.h"

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// 1-based position of Sub in S at or after Offset (1-based); 0 when absent.
size_t PosFrom(std::string_view sub, std::string_view s, size_t offset);
std::string ExtractBetween(std::string_view s, std::string_view open, std::string_view close, size_t offset);
std::string NormalizeSpaces(std::string_view s);
std::string DecodeEntities(std::string_view s);
std::string EncodeEntities(std::string_view s);
// Trimmed decimal real with "." as separator, whatever the locale; 0 when malformed.
double XMLStrToFloat(std::string_view s);

// Raised by LastChild on an element without children.
class EQelXmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TQelParserAttribute {
public:
    TQelParserAttribute(std::string name, std::string value) : Name(std::move(name)), Value(std::move(value)) {}
    void SetValue(std::string value) { Value = std::move(value); }
    // " name=\"value\"": values are written exactly as stored.
    std::string Text() const;

    std::string Name;
    std::string Value;
};

class TQelXMLTag {
public:
    TQelXMLTag(std::string name, TQelXMLTag* parent, std::string text);
    virtual ~TQelXMLTag();
    TQelXMLTag(const TQelXMLTag&) = delete;
    TQelXMLTag& operator=(const TQelXMLTag&) = delete;

    void SetName(std::string name) { Name = std::move(name); }
    void SetText(std::string text) { Text = std::move(text); }

    TQelParserAttribute* AddAttribute(std::string name, std::string value);
    TQelXMLTag* AddChild(std::string name, std::string text = {});
    TQelXMLTag* LastChild() const;  // throws EQelXmlError without children
    TQelXMLTag* AddTagByString(std::string_view tag);

    size_t ChildCount() const { return Children.size(); }
    size_t AttributeCount() const { return Attributes.size(); }
    TQelXMLTag* GetChild(long index) const;
    TQelParserAttribute* GetAttribute(long index) const;
    TQelXMLTag* GetChildByName(std::string_view name) const;
    TQelParserAttribute* GetAttributeByName(std::string_view name) const;
    TQelXMLTag* FindChildByName(std::string_view name) const;
    TQelXMLTag* FindChild(std::string_view selector) const;
    TQelParserAttribute* FindAttribute(std::string_view selector) const;

    // The value of the first attribute of that name, or fallback when there is none.
    std::string AttributeValue(std::string_view name, std::string_view fallback = {}) const;

    void DeleteChild(long index);
    void DeleteAttribute(long index);
    void DeleteChildByName(std::string_view name);
    void DeleteAttributeByName(std::string_view name);
    void ClearChildren() { Children.clear(); }
    void ClearAttributes() { Attributes.clear(); }

    void Assign(const TQelXMLTag* source);
    std::string GetXMLText(int depth) const;

    std::string Name;
    std::string Text;
    std::vector<std::unique_ptr<TQelXMLTag>> Children;
    std::vector<std::unique_ptr<TQelParserAttribute>> Attributes;
    TQelXMLTag* Parent = nullptr;
};

class TQelParser : public TQelXMLTag {
public:
    TQelParser();

    // Reading. A text without any element (or one whose reading stopped early, see
    // LastError) gives an empty document, which callers report in their own words; only
    // a file that cannot be read throws (std::runtime_error).
    void LoadFromFile(const std::filesystem::path& path);
    void LoadFromStream(TMemoryStream& stream);
    void LoadFromText(std::string_view text);
    void MakeTypifiedLines();
    void BuildTree();

    // Writing.
    void MakeLines();
    std::string SaveToString();
    void SaveToFile(const std::filesystem::path& path);  // crash-safe replace; throws on failure
    void SaveToStream(TMemoryStream& stream);

    std::vector<std::string> Lines;
    // Set when the last reading pass stopped early (unterminated comment or head, "<>").
    std::string LastError;
};
