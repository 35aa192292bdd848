// Remembers the translations of recent statements by their shape: the text with its quoted
// strings taken out. Statements that differ only in quoted values (an item code, a serial number,
// a branch) are translated once; each gets the cached translation with its own strings put back
// where the translation placed them. Translations never look into a string's contents, so this
// gives the text a direct translation would give.
// The owner clears the cache whenever what its translations depend on changes (the catalog); a
// translation may be noted as depending on it, so that the owner checks before using it again.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace db::dialect {

class TranslationCache {
public:
    using Translate = std::function<std::string(std::string_view)>;
    // Sets its flag when the translation it makes depends on something that may change.
    using NotingTranslate = std::function<std::string(std::string_view, bool& noted)>;

    explicit TranslationCache(size_t capacity = 256) : capacity_(capacity) {}

    // The translation of `sql`, from the cache or made by `translate`, which receives the
    // statement with placeholders in place of its strings (or, where that cannot work, the
    // statement itself).
    std::string Get(std::string_view sql, const Translate& translate);
    // The same; `noted` tells whether the translation given was noted when it was made.
    std::string Get(std::string_view sql, const NotingTranslate& translate, bool& noted);
    void Clear() { entries_.clear(); }
    size_t Size() const { return entries_.size(); }

private:
    // A cached translation: text pieces, and after each piece but the last the number of the
    // statement's string that stands there.
    struct Entry {
        std::vector<std::string> pieces;
        std::vector<size_t> strings;
        bool noted = false;
    };

    size_t capacity_;
    std::unordered_map<std::string, Entry> entries_;
};

}  // namespace db::dialect
