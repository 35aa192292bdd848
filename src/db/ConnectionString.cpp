#include "db/ConnectionString.h"

#include <algorithm>
#include <cctype>

#include "db/Error.h"
#include "db/TextUtil.h"

namespace db {
namespace {

using text::EqualNoCase;
using text::Trim;



}  // namespace

bool ConnectionString::IsSecretKey(std::string_view key) {
    return EqualNoCase(key, "Password") || EqualNoCase(key, "PWD") || EqualNoCase(key, "Jet OLEDB:Database Password");
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
            if (!Trim(seg).empty())
                throw Error(ErrorCode::ConnectionFailed, "连接字符串格式不正确：缺少“=”（" + Trim(seg).substr(0, 40) + "）。");
            if (semi == std::string_view::npos) break;
            i = semi + 1;
            continue;
        }
        std::string key = Trim(text.substr(i, eq - i));
        if (key.empty()) throw Error(ErrorCode::ConnectionFailed, "连接字符串格式不正确：键名为空。");
        size_t v = eq + 1;
        while (v < text.size() && (text[v] == ' ' || text[v] == '\t')) ++v;
        std::string value;
        if (v < text.size() && (text[v] == '"' || text[v] == '\'' || text[v] == '{')) {
            char close = text[v] == '{' ? '}' : text[v];
            size_t end = v + 1;
            for (;; ++end) {
                if (end >= text.size())
                    throw Error(ErrorCode::ConnectionFailed, "连接字符串格式不正确：“" + key + "”的值缺少结束引号。");
                if (text[end] == close) {
                    if (end + 1 < text.size() && text[end + 1] == close) {  // doubled quote inside
                        value += close;
                        ++end;
                        continue;
                    }
                    break;
                }
                value += text[end];
            }
            if (close == '}') value = "{" + value + "}";
            size_t next = text.find(';', end + 1);
            if (next != std::string_view::npos && !Trim(text.substr(end + 1, next - end - 1)).empty())
                throw Error(ErrorCode::ConnectionFailed, "连接字符串格式不正确：“" + key + "”的值之后有多余字符。");
            i = next == std::string_view::npos ? text.size() : next + 1;
        } else {
            size_t end = text.find(';', v);
            value = Trim(text.substr(v, end == std::string_view::npos ? std::string_view::npos : end - v));
            i = end == std::string_view::npos ? text.size() : end + 1;
        }
        cs.pairs_.emplace_back(std::move(key), std::move(value));
    }
    if (cs.pairs_.empty()) throw Error(ErrorCode::ConnectionFailed, "连接字符串为空，无法打开数据库。");
    return cs;
}

std::optional<std::string> ConnectionString::Get(std::string_view key) const {
    for (auto& [k, v] : pairs_)
        if (EqualNoCase(k, key)) return v;
    return std::nullopt;
}

std::string ConnectionString::Redacted() const {
    std::string out;
    for (auto& [k, v] : pairs_) {
        if (!out.empty()) out += ';';
        out += k + "=" + (IsSecretKey(k) ? std::string("******") : v);
    }
    return out;
}

std::string ConnectionString::Scrub(std::string message) const {
    for (auto& [k, v] : pairs_) {
        if (!IsSecretKey(k) || v.empty()) continue;
        for (size_t p = message.find(v); p != std::string::npos; p = message.find(v, p + 6)) message.replace(p, v.size(), "******");
    }
    return message;
}

}  // namespace db
