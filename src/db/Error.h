// The one error type of the database layer and of value conversions: a numeric code, the
// SQLSTATE where the driver gives one, and a description safe to show to an operator.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "db/TextUtil.h"

namespace db {

namespace ErrorCode {
inline constexpr std::uint32_t Generic = 0x80004005;         // unspecified driver failure
inline constexpr std::uint32_t IntegrityViolation = 0x80040E2F;  // a unique key or constraint refused the row
inline constexpr std::uint32_t SyntaxOrAccess = 0x80040E14;  // the statement was refused
inline constexpr std::uint32_t ConnectionFailed = 0x80004005;
inline constexpr std::uint32_t ClosedObject = 0x800A0E78;    // operation on a closed connection or recordset
inline constexpr std::uint32_t NoCurrentRecord = 0x800A0BCD; // BOF or EOF is true
inline constexpr std::uint32_t ItemNotFound = 0x800A0CC1;    // no field of that name
inline constexpr std::uint32_t TypeMismatch = 13;
inline constexpr std::uint32_t Overflow = 6;
inline constexpr std::uint32_t Timeout = 0x80040E31;         // waited for another session's locks in vain
}  // namespace ErrorCode

class Error : public std::runtime_error {
public:
    // The description is cut to what a message box can show (a driver may quote a whole
    // statement or a file name of any length).
    Error(std::uint32_t code, std::string description, std::string sqlState = {})
        : std::runtime_error(text::FitForMessage(description)), code_(code), description_(text::FitForMessage(description)),
          sqlState_(std::move(sqlState)) {}
    std::uint32_t Code() const noexcept { return code_; }
    const std::string& Description() const noexcept { return description_; }
    const std::string& SqlState() const noexcept { return sqlState_; }

private:
    std::uint32_t code_;
    std::string description_;
    std::string sqlState_;
};

// The text to show for a failure: the description of a db::Error, else what() of the exception,
// cut to what a message box can show.
inline std::string DescriptionOf(const std::exception& e) {
    if (auto* d = dynamic_cast<const Error*>(&e)) return d->Description();
    return text::FitForMessage(e.what());
}

}  // namespace db
