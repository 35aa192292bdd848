// A forward-only reader of the XML parts of an .xlsx file: start tags with their attributes, end
// tags and text, names without their namespace prefix, entities and character references
// decoded. Declarations, comments and processing instructions are skipped; CDATA is text. It does
// not validate; malformed input ends the scan early and never reads outside the text.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bill {

class XmlScanner {
public:
    enum class Token { Start, End, Text, Done };

    explicit XmlScanner(std::string_view xml) : xml_(xml) {}

    // Moves to the next token; Done at the end (and from then on).
    Token Next();
    Token Current() const { return token_; }
    // The local name of the element of a Start or End token.
    std::string_view Name() const { return name_; }
    // The decoded value of an attribute of the current start tag, by local name; empty when absent.
    std::string Attribute(std::string_view localName) const;
    // The decoded text of a Text token.
    const std::string& Text() const { return text_; }

    static std::string Decode(std::string_view raw);

private:
    static std::string_view LocalName(std::string_view qualified);
    void StartTag();

    std::string_view xml_;
    size_t pos_ = 0;
    Token token_ = Token::Done;
    std::string_view name_;
    std::vector<std::pair<std::string_view, std::string_view>> attributes_;  // local name, raw value
    std::string text_;
    bool pendingEnd_ = false;  // a self-closing tag ends right after it starts
};

}  // namespace bill
