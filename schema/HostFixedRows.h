// The rows every host database built here holds whatever its size: the system settings, the
// attribute lists and item categories, and the demo operators with their rights.
#pragma once

#include "schema/RowSink.h"

namespace schema::detail {

void WriteSettings(RowSink& db);    // sys_var, t_SystemProfile, GLSelect
void WriteAttributes(RowSink& db);  // glsx, kclb
void WriteOperators(RowSink& db);   // t_Operator, t_OperatorRight

}  // namespace schema::detail
