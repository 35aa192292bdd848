// Builds SQLite files holding the host tables: an empty one for a fresh installation, or one
// with a realistic demo data set (branches, items, per-branch prices, operators with rights and
// a few price-adjustment bills) for trying the module out and for tests.
#pragma once

#include <string>
#include <vector>

namespace schema {

struct DemoOptions {
    int itemCount = 3000;   // 1 .. 899999
    int branchCount = 20;   // 1 .. 999
    unsigned seed = 20261206;
};

// Creates the host tables in a NEW SQLite file (fails with std::runtime_error if it already
// exists or cannot be created).
void CreateEmptyHostDatabase(const std::string& path);

// Creates the file with tables and demo data. Deterministic for a given seed. Throws
// std::invalid_argument for counts out of range and std::runtime_error like
// CreateEmptyHostDatabase; on failure no file is left behind.
void CreateDemoDatabase(const std::string& path, const DemoOptions& options = {});

// Demo operators: code and name; the first holds every right, the second lacks "审核" and
// "查看所有用户".
struct DemoOperator {
    std::string code, name;
};
const std::vector<DemoOperator>& DemoOperators();

inline constexpr const char* kModuleCode = "00000368";

// Every right name the module asks:
// "新增","修改","删除","打印","重打","报表","记帐","审核","查看所有用户"
const std::vector<std::string>& ModuleRights();

}  // namespace schema
