// UTF-8 <-> UTF-16 for the wide ODBC calls and for character data fetched as SQL_C_WCHAR
// (unixODBC's SQLWCHAR is a 16-bit code unit). Malformed input never throws: each bad byte or
// unpaired surrogate becomes U+FFFD.
#pragma once
#include <string>
#include <string_view>

namespace db::odbc {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace db::odbc
