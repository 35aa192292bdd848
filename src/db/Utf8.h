// UTF-8, the encoding every text of the program is held in: finding where bytes stop being
// well-formed UTF-8 (an overlong form, a surrogate, a value beyond U+10FFFF, a cut sequence), and
// converting to and from UTF-16 for ODBC's wide calls (unixODBC's SQLWCHAR is a 16-bit code unit).
// Conversions never throw: each bad byte or unpaired surrogate becomes U+FFFD.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace db::text {

// The offset of the first byte that makes `bytes` ill-formed; npos when there is none.
size_t Utf8ErrorAt(std::string_view bytes);
inline bool IsUtf8(std::string_view bytes) { return Utf8ErrorAt(bytes) == std::string_view::npos; }

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// `count` code units in the machine's byte order at `units`, which need not be aligned (a buffer
// the ODBC driver filled).
std::string Utf16ToUtf8(const void* units, size_t count);

}  // namespace db::text
