// The connection the host's components (the lookup window, the rights component) run their
// statements on, kept open from one use to the next on the same connection string: opening one
// reads the database's whole schema again, which costs more than a right check or an item lookup
// by code themselves.
#pragma once
#include <memory>
#include <string>

#include "db/RowSet.h"

namespace host {

// Runs the statement on the kept connection for the string (opened when there is none, or one for
// another string) and returns every row; a kept connection that fails is replaced and the
// statement run once more. Throws db::Error when the connection or the statement fails.
std::shared_ptr<const db::RowSet> QueryOnKeptConnection(const std::string& connStr, const std::string& sql);
// The host's number of price decimals (sys_var.jjbl, 0..6) read on the kept connection; 2 when
// the database has none or cannot be read.
int PriceDecimalsOn(const std::string& connStr) noexcept;
// Closes the kept connection.
void ReleaseKeptConnection() noexcept;

}  // namespace host
