// An ADO-style connection string "key=value;key=value": keys without regard to case, values
// optionally quoted with " or ' (a doubled quote stands for one) or braced with { } as in ODBC.
// Knows which keys hold secrets so that nothing shown to an operator carries a password.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace db {

class ConnectionString {
public:
    struct Entry {
        std::string key;
        std::string value;    // as meant: without its quotes or braces
        bool braced = false;  // written between { and }
        std::string written;  // as it stands in the text, quotes or braces included
    };

    // Throws db::Error for an empty or malformed string; the description quotes no part of it.
    static ConnectionString Parse(std::string_view text);

    std::optional<std::string> Get(std::string_view key) const;  // first match, any case
    bool Has(std::string_view key) const { return Get(key).has_value(); }
    const std::vector<Entry>& Pairs() const { return pairs_; }
    const std::string& Text() const { return text_; }

    // The string with every secret value replaced by "******", wherever it stands.
    std::string Redacted() const;
    // `message` with every secret value of this string replaced by "******", in each form it may
    // take in a message: as meant, as written, braced for ODBC, with its quotes doubled.
    std::string Scrub(std::string message) const;

    // A key whose name contains "password" in any letter case, or "PWD".
    static bool IsSecretKey(std::string_view key);

private:
    std::string text_;
    std::vector<Entry> pairs_;
};

}  // namespace db
