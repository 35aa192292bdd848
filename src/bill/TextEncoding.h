// The text of an imported file in UTF-8: files that Chinese spreadsheet programs write come as
// UTF-8 (with or without a byte-order mark), GB18030, or UTF-16 with a byte-order mark.
#pragma once
#include <string>
#include <string_view>

namespace bill {

// Decodes `bytes` and returns them as UTF-8 without a byte-order mark. Throws std::runtime_error
// when they are neither of the encodings above.
std::string FileTextToUtf8(std::string_view bytes);
// Whether `bytes` are well-formed UTF-8 (shortest forms, no surrogates).
bool IsUtf8(std::string_view bytes);
// Converts with iconv; throws std::runtime_error on bytes invalid in `from`.
std::string Convert(std::string_view bytes, const char* from, const char* to);

}  // namespace bill
