#include "db/dialect/TranslationCache.h"

#include "db/dialect/SqlTokenizer.h"

namespace db::dialect {
namespace {

// Marks a string's place in a shape; a statement holding this byte is not cached.
constexpr char kMark = '\x01';

// A '...' string with its closing quote. N'...' strings stay in the shape: the translation
// rewrites them.
bool IsPlainString(std::string_view sql, const TokenSpan& t) {
    if (t.kind != TokenKind::String || sql[t.begin] != '\'') return false;
    for (size_t i = t.begin + 1; i < t.end; ++i) {
        if (sql[i] != '\'') continue;
        if (i + 1 < t.end && sql[i + 1] == '\'') {
            ++i;
            continue;
        }
        return i + 1 == t.end;
    }
    return false;
}

std::string Placeholder(size_t n) { return std::string("'") + kMark + std::to_string(n) + kMark + "'"; }

}  // namespace

std::string TranslationCache::Get(std::string_view sql, const Translate& translate) {
    bool noted = false;
    return Get(sql, [&](std::string_view text, bool&) { return translate(text); }, noted);
}

std::string TranslationCache::Get(std::string_view sql, const NotingTranslate& translate, bool& noted) {
    noted = false;
    auto direct = [&] { return translate(sql, noted); };
    if (sql.find(kMark) != std::string_view::npos) return direct();
    const std::vector<TokenSpan> spans = SqlTokenizer::Spans(sql);
    std::string key;
    key.reserve(sql.size());
    std::vector<std::string_view> strings;
    for (const TokenSpan& t : spans) {
        if (IsPlainString(sql, t)) {
            key += kMark;
            strings.push_back(sql.substr(t.begin, t.end - t.begin));
        } else {
            key.append(sql.substr(t.begin, t.end - t.begin));
        }
    }
    auto it = entries_.find(key);
    if (it == entries_.end()) {
        std::string shape;
        shape.reserve(sql.size() + 4 * strings.size());
        size_t n = 0;
        for (const TokenSpan& t : spans)
            shape += IsPlainString(sql, t) ? Placeholder(n++) : std::string(sql.substr(t.begin, t.end - t.begin));
        bool shapeNoted = false;
        const std::string out = translate(shape, shapeNoted);
        // Cut the translation at the placeholders; a placeholder that did not come through whole
        // means the translation is not one to reuse.
        Entry entry;
        std::string piece;
        for (size_t i = 0; i < out.size();) {
            const size_t mark = out.find(kMark, i);
            if (mark == std::string::npos) {
                piece.append(out, i, std::string::npos);
                break;
            }
            const size_t close = out.find(kMark, mark + 1);
            if (mark == 0 || out[mark - 1] != '\'' || close == std::string::npos || close == mark + 1 ||
                close + 1 >= out.size() || out[close + 1] != '\'')
                return direct();
            size_t number = 0;
            for (size_t d = mark + 1; d < close; ++d) {
                if (out[d] < '0' || out[d] > '9') return direct();
                number = number * 10 + static_cast<size_t>(out[d] - '0');
            }
            if (number >= strings.size()) return direct();
            piece.append(out, i, mark - 1 - i);
            entry.pieces.push_back(std::move(piece));
            piece.clear();
            entry.strings.push_back(number);
            i = close + 2;
        }
        entry.pieces.push_back(std::move(piece));
        entry.noted = shapeNoted;
        if (entries_.size() >= capacity_) entries_.clear();
        it = entries_.emplace(std::move(key), std::move(entry)).first;
    }
    const Entry& e = it->second;
    noted = e.noted;
    std::string result = e.pieces.front();
    for (size_t k = 0; k < e.strings.size(); ++k) {
        result += strings[e.strings[k]];
        result += e.pieces[k + 1];
    }
    return result;
}

}  // namespace db::dialect
