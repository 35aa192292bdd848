#include "bill/XmlScanner.h"

#include <charconv>

namespace bill {
namespace {

bool Space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void AppendUtf8(std::string& out, unsigned cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string_view XmlScanner::LocalName(std::string_view qualified) {
    const size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

std::string XmlScanner::Decode(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            out += raw[i];
            continue;
        }
        const size_t semi = raw.find(';', i);
        if (semi == std::string_view::npos || semi - i > 12) {
            out += '&';
            continue;
        }
        const std::string_view entity = raw.substr(i + 1, semi - i - 1);
        if (entity == "amp") out += '&';
        else if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (entity.size() > 1 && entity[0] == '#') {
            unsigned cp = 0;
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
            if (ec != std::errc() || end != digits.data() + digits.size()) {
                out += '&';
                continue;
            }
            AppendUtf8(out, cp);
        } else {
            out += '&';
            continue;
        }
        i = semi;
    }
    return out;
}

std::string XmlScanner::Attribute(std::string_view localName) const {
    for (const auto& [name, value] : attributes_)
        if (name == localName) return Decode(value);
    return {};
}

void XmlScanner::StartTag() {
    // pos_ is just after '<'.
    size_t i = pos_;
    while (i < xml_.size() && !Space(xml_[i]) && xml_[i] != '>' && xml_[i] != '/') ++i;
    name_ = LocalName(xml_.substr(pos_, i - pos_));
    attributes_.clear();
    while (i < xml_.size()) {
        while (i < xml_.size() && Space(xml_[i])) ++i;
        if (i >= xml_.size()) break;
        if (xml_[i] == '>') {
            pos_ = i + 1;
            return;
        }
        if (xml_[i] == '/') {
            pendingEnd_ = true;
            const size_t close = xml_.find('>', i);
            pos_ = close == std::string_view::npos ? xml_.size() : close + 1;
            return;
        }
        const size_t nameStart = i;
        while (i < xml_.size() && !Space(xml_[i]) && xml_[i] != '=' && xml_[i] != '>' && xml_[i] != '/') ++i;
        const std::string_view attr = LocalName(xml_.substr(nameStart, i - nameStart));
        while (i < xml_.size() && Space(xml_[i])) ++i;
        if (i < xml_.size() && xml_[i] == '=') {
            ++i;
            while (i < xml_.size() && Space(xml_[i])) ++i;
            if (i < xml_.size() && (xml_[i] == '"' || xml_[i] == '\'')) {
                const char quote = xml_[i];
                const size_t close = xml_.find(quote, i + 1);
                if (close == std::string_view::npos) break;
                attributes_.emplace_back(attr, xml_.substr(i + 1, close - i - 1));
                i = close + 1;
                continue;
            }
        }
        if (i == nameStart) ++i;  // never stand still on a stray character
    }
    pos_ = xml_.size();
}

XmlScanner::Token XmlScanner::Next() {
    if (pendingEnd_) {
        pendingEnd_ = false;
        attributes_.clear();
        return token_ = Token::End;
    }
    while (pos_ < xml_.size()) {
        if (xml_[pos_] != '<') {
            size_t lt = xml_.find('<', pos_);
            if (lt == std::string_view::npos) lt = xml_.size();
            text_ = Decode(xml_.substr(pos_, lt - pos_));
            pos_ = lt;
            return token_ = Token::Text;
        }
        const std::string_view rest = xml_.substr(pos_);
        auto skipPast = [&](std::string_view terminator) {
            const size_t at = xml_.find(terminator, pos_);
            pos_ = at == std::string_view::npos ? xml_.size() : at + terminator.size();
        };
        if (rest.substr(0, 9) == "<![CDATA[") {
            const size_t close = xml_.find("]]>", pos_ + 9);
            const size_t stop = close == std::string_view::npos ? xml_.size() : close;
            text_ = std::string(xml_.substr(pos_ + 9, stop - pos_ - 9));
            pos_ = close == std::string_view::npos ? xml_.size() : close + 3;
            return token_ = Token::Text;
        }
        if (rest.substr(0, 4) == "<!--") {
            skipPast("-->");
            continue;
        }
        if (rest.substr(0, 2) == "<?") {
            skipPast("?>");
            continue;
        }
        if (rest.substr(0, 2) == "<!") {
            skipPast(">");
            continue;
        }
        if (rest.substr(0, 2) == "</") {
            const size_t close = xml_.find('>', pos_);
            const size_t stop = close == std::string_view::npos ? xml_.size() : close;
            std::string_view name = xml_.substr(pos_ + 2, stop - pos_ - 2);
            while (!name.empty() && Space(name.back())) name.remove_suffix(1);
            name_ = LocalName(name);
            attributes_.clear();
            pos_ = close == std::string_view::npos ? xml_.size() : close + 1;
            return token_ = Token::End;
        }
        ++pos_;
        StartTag();
        return token_ = Token::Start;
    }
    return token_ = Token::Done;
}

}  // namespace bill
