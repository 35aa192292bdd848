// The text of an imported file in UTF-8: files that Chinese spreadsheet programs write come as
// UTF-8 (with or without a byte-order mark), GB18030, or UTF-16 with a byte-order mark.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "db/Utf8.h"

namespace bill {

// Decodes `bytes` and hands them to `out` as UTF-8 without a byte-order mark, in pieces of at most
// 64 KiB (well-formed UTF-8 in one piece). Throws std::runtime_error naming the encodings tried
// and the line of the first bad byte when they are neither of the encodings above; `out` may
// have had part of the text by then.
void DecodeText(std::string_view bytes, const std::function<void(std::string_view)>& out);
// The whole text at once, as DecodeText.
std::string FileTextToUtf8(std::string_view bytes);
using db::text::IsUtf8;
using db::text::Utf8ErrorAt;
// Converts with iconv; throws std::runtime_error on bytes invalid in `from`.
std::string Convert(std::string_view bytes, const char* from, const char* to);

}  // namespace bill
