// The rows every host database built here holds whatever its size: the system settings, the
// attribute lists and item categories, and the demo operators with their rights.
#pragma once

#include "schema/NewHostDatabase.h"

namespace schema::detail {

void WriteSettings(NewHostDatabase& db);    // sys_var, t_SystemProfile, GLSelect
void WriteAttributes(NewHostDatabase& db);  // glsx, kclb
void WriteOperators(NewHostDatabase& db);   // t_Operator, t_OperatorRight

}  // namespace schema::detail
