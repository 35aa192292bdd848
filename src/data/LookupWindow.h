// The host's lookup window: offers the rows of a SELECT statement and returns the picked row as
// an array (element 0 > 0 when a row was picked, elements 1..n the row's columns).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "data/Component.h"
#include "db/Value.h"

namespace data {

class LookupWindow : public Component {
public:
    virtual void SetMode(std::int16_t mode) = 0;
    virtual void Show() = 0;
    virtual std::vector<db::Value> Result() const = 0;
    virtual void SetStatement(const std::string& sql) = 0;
    virtual void SetConnectionString(const std::string& connStr) = 0;
};

// Runs the lookup window on the statement; failures reach the caller.
std::vector<db::Value> ShowLookup(const std::string& sql, std::int16_t mode);

}  // namespace data
