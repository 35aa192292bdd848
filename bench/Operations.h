// Registration of the measured operations. Each operation is measured twice in the same run: as
// the system does it ("<operation>/system": window logic on the headless toolkit, query routines,
// database layer and driver, host components) and as a hand-written program on the same SQLite
// file would do it ("<operation>/raw"). The reporter prints the ratio of the two.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

namespace bench {

using BenchFunction = std::function<void(benchmark::State&)>;

// Registers both sides of an operation.
void RegisterOperation(const std::string& operation, BenchFunction system, BenchFunction raw);

void RegisterBrowserOperations();
void RegisterLookupOperations();
void RegisterEditorOperations();
void RegisterReportOperations();
void RegisterPrintOperations();
void RegisterCopyOperations();

}  // namespace bench
