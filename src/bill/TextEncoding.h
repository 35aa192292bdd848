// The text of an imported file in UTF-8: files that Chinese spreadsheet programs write come as
// UTF-8 (with or without a byte-order mark), GB18030, or UTF-16 with a byte-order mark.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace bill {

// Decodes `bytes` and hands them to `out` as UTF-8 without a byte-order mark, in pieces of at most
// 64 KiB (well-formed UTF-8 in one piece). Throws std::runtime_error naming the encodings tried
// and the line of the first bad byte when they are neither of the encodings above; `out` may
// have had part of the text by then.
void DecodeText(std::string_view bytes, const std::function<void(std::string_view)>& out);
// The whole text at once, as DecodeText.
std::string FileTextToUtf8(std::string_view bytes);
// The offset of the first byte that makes `bytes` ill-formed UTF-8 (overlong forms, surrogates,
// beyond U+10FFFF, cut sequences); npos when there is none.
size_t Utf8ErrorAt(std::string_view bytes);
inline bool IsUtf8(std::string_view bytes) { return Utf8ErrorAt(bytes) == std::string_view::npos; }
// Converts with iconv; throws std::runtime_error on bytes invalid in `from`.
std::string Convert(std::string_view bytes, const char* from, const char* to);

}  // namespace bill
