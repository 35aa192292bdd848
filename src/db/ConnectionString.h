// An ADO-style connection string "key=value;key=value": keys without regard to case, values
// optionally quoted with " or '. Knows which keys hold secrets so that nothing shown to an
// operator carries a password.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace db {

class ConnectionString {
public:
    // Throws db::Error for an empty or malformed string.
    static ConnectionString Parse(std::string_view text);

    std::optional<std::string> Get(std::string_view key) const;  // first match, any case
    bool Has(std::string_view key) const { return Get(key).has_value(); }
    const std::vector<std::pair<std::string, std::string>>& Pairs() const { return pairs_; }
    const std::string& Text() const { return text_; }

    // The string with every password value replaced by "******".
    std::string Redacted() const;
    // `message` with every secret value of this string replaced by "******".
    std::string Scrub(std::string message) const;

    static bool IsSecretKey(std::string_view key);

private:
    std::string text_;
    std::vector<std::pair<std::string, std::string>> pairs_;
};

}  // namespace db
