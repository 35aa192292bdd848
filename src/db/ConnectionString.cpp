#include "db/ConnectionString.h"

#include <algorithm>

#include "db/Error.h"
#include "db/TextUtil.h"

namespace db {
namespace {

using text::EqualNoCase;
using text::Lower;
using text::Trim;

// Parse errors say where, never what: a stray piece may be the tail of a password that holds ';'.
[[noreturn]] void Malformed(const char* what, size_t position) {
    throw Error(ErrorCode::ConnectionFailed,
                "连接字符串格式不正确：第 " + std::to_string(position + 1) + " 个字符处" + what + "。");
}

std::string Doubled(std::string_view s, char quote) {
    std::string out;
    for (char c : s) {
        out += c;
        if (c == quote) out += quote;
    }
    return out;
}

}  // namespace

bool ConnectionString::IsSecretKey(std::string_view key) {
    return EqualNoCase(Trim(key), "PWD") || Lower(key).find("password") != std::string::npos;
}

ConnectionString ConnectionString::Parse(std::string_view text) {
    ConnectionString cs;
    cs.text_ = std::string(text);
    if (Trim(text).empty()) throw Error(ErrorCode::ConnectionFailed, "连接字符串为空，无法打开数据库。");
    size_t i = 0;
    while (i < text.size()) {
        size_t eq = text.find('=', i);
        size_t semi = text.find(';', i);
        if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
            // A segment without '=' is only allowed when it is blank.
            std::string_view seg = text.substr(i, semi == std::string_view::npos ? std::string_view::npos : semi - i);
            if (!Trim(seg).empty()) Malformed("的一段缺少“=”", i);
            if (semi == std::string_view::npos) break;
            i = semi + 1;
            continue;
        }
        Entry e;
        e.key = Trim(text.substr(i, eq - i));
        if (e.key.empty()) Malformed("的键名为空", i);
        size_t v = eq + 1;
        while (v < text.size() && (text[v] == ' ' || text[v] == '\t')) ++v;
        if (v < text.size() && (text[v] == '"' || text[v] == '\'' || text[v] == '{')) {
            const char close = text[v] == '{' ? '}' : text[v];
            e.braced = close == '}';
            size_t end = v + 1;
            for (;; ++end) {
                if (end >= text.size()) Malformed("开始的值缺少结束引号", v);
                if (text[end] == close) {
                    if (end + 1 < text.size() && text[end + 1] == close) {  // doubled quote inside
                        e.value += close;
                        ++end;
                        continue;
                    }
                    break;
                }
                e.value += text[end];
            }
            e.written = std::string(text.substr(v, end + 1 - v));
            size_t next = text.find(';', end + 1);
            if (!Trim(text.substr(end + 1, next == std::string_view::npos ? std::string_view::npos : next - end - 1)).empty())
                Malformed("的值之后有多余字符", end + 1);
            i = next == std::string_view::npos ? text.size() : next + 1;
        } else {
            size_t end = text.find(';', v);
            e.value = Trim(text.substr(v, end == std::string_view::npos ? std::string_view::npos : end - v));
            e.written = e.value;
            i = end == std::string_view::npos ? text.size() : end + 1;
        }
        cs.pairs_.push_back(std::move(e));
    }
    if (cs.pairs_.empty()) throw Error(ErrorCode::ConnectionFailed, "连接字符串为空，无法打开数据库。");
    return cs;
}

std::optional<std::string> ConnectionString::Get(std::string_view key) const {
    for (const auto& e : pairs_)
        if (EqualNoCase(e.key, key)) return e.value;
    return std::nullopt;
}

std::string ConnectionString::Redacted() const {
    std::string out;
    for (const auto& e : pairs_) {
        if (!out.empty()) out += ';';
        out += e.key + "=" + (IsSecretKey(e.key) ? std::string("******") : e.braced ? "{" + e.value + "}" : e.value);
    }
    return Scrub(std::move(out));  // a secret may stand in another value too (a file name)
}

std::string ConnectionString::Scrub(std::string message) const {
    std::vector<std::string> forms;
    for (const auto& e : pairs_) {
        if (!IsSecretKey(e.key) || e.value.empty()) continue;
        for (std::string f : {e.value, e.written, "{" + Doubled(e.value, '}') + "}", Doubled(e.value, '\''),
                              Doubled(e.value, '"')})
            if (!f.empty()) forms.push_back(std::move(f));
    }
    // Longest first, so that no piece of a longer form is left behind.
    std::sort(forms.begin(), forms.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    for (const auto& f : forms)
        for (size_t p = message.find(f); p != std::string::npos; p = message.find(f, p + 6)) message.replace(p, f.size(), "******");
    return message;
}

}  // namespace db
