// Editing an XML document while keeping the text it was read from: a hand-written file
// saved after a small change differs from what it was only where the document changed.
#pragma once

#include "foundation/QelParser.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Reads the text into Document(); after the document has been changed, Text() is the
// original text with the changes spliced in. Changed attribute values and element texts
// are replaced where they stand, removed attributes and elements leave with their own
// spacing (an element alone on its line takes the line with it), new attributes follow
// the element's last one, and new elements stand on lines of their own with the
// indentation of their siblings and the file's line ends. Comments, layout, quoting and
// everything the change did not touch stay byte for byte.
//
// Elements are known by identity: an element the editing code made anew (even with the
// name and values of one it removed) is new text. When the text cannot be kept (it reads
// differently than the file's reader reads it, or the spliced text would not read back as
// the document), the whole document is written in the fixed layout instead.
class TXmlTextEdit {
public:
    explicit TXmlTextEdit(std::string_view original);
    ~TXmlTextEdit();
    TXmlTextEdit(const TXmlTextEdit&) = delete;
    TXmlTextEdit& operator=(const TXmlTextEdit&) = delete;

    TQelParser& Document() { return document_; }
    std::string Text();
    // False when Text() gives the fixed layout rather than the spliced original.
    bool KeepsText();

    // Where an element stood in the original text (offsets into it).
    struct TAttributeSpan {
        size_t Start = 0; // the spacing before the name
        size_t ValueStart = 0; // inside the quotes
        size_t ValueEnd = 0;
        size_t End = 0; // after the closing quote
    };
    struct TElementSpan {
        std::string Name;
        std::string Text; // the element's text as read (its last text run)
        std::vector<std::pair<std::string, std::string>> Values;
        std::vector<TAttributeSpan> Attributes;
        size_t Parent = 0;
        std::vector<size_t> Children;
        size_t Open = 0; // the "<" of the start tag
        size_t NameEnd = 0;
        size_t AttributesEnd = 0; // after the last attribute (or the name)
        size_t StartEnd = 0; // after the start tag's ">"
        bool SelfClosing = false;
        size_t SlashStart = 0; // self-closing: the spacing and "/" before ">"
        size_t CloseOpen = 0; // the "<" of the closing tag (the end of the content)
        size_t End = 0; // after the element
        size_t TextStart = std::string::npos;
        size_t TextEnd = std::string::npos;
    };

private:
    bool Scan();
    bool Adopt(TQelXMLTag& tag, size_t span);
    std::string Spliced() const;

    std::string original_;
    TQelParser document_;
    std::vector<TElementSpan> spans_; // [0] is the document itself
    bool scanned_ = false;
    std::string eol_ = "\r\n";
    std::string unit_ = "\t";
};
