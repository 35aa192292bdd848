// Warnings about two bills fighting over one price (the same item at the same target): when an
// item is entered, the editor's status line names the other unaudited bills that change it; at
// audit, the operator is asked before overwriting prices that a later-dated audited bill set.
#pragma once
#include <string>
#include <vector>

namespace bill {

class FrmAdjuctPrice;

// A warning naming the other unaudited bills at the bill's target that change the item in TxtHH;
// empty when there are none. Silent on failure.
std::string OpenConflictNote(const FrmAdjuctPrice& editor);

// The warning of NoteOpenConflicts for these serials (empty: none).
std::string OpenConflictText(const std::string& item, const std::vector<std::string>& serials);

// Before auditing `lsh`: when later-dated audited bills at its target already set prices of its
// items, lists them and asks whether to audit all the same. True to go on (nothing found, or Yes).
bool ConfirmLaterAudits(FrmAdjuctPrice& editor, const std::string& lsh);

}  // namespace bill
