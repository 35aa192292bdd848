// The parts of TsqlTranslator that more than one of its files use: the FROM clause reader
// (FromClause.cpp), the guess whether an expression is text (TypeGuess.cpp), the rewrites within one
// parenthesised sequence (SequenceRewrites.cpp) and of DELETE and UPDATE with joins
// (JoinRewrites.cpp). The select-list hints are in SelectHints.cpp. Internal to the translator.
#pragma once

#include "db/dialect/SqlTree.h"
#include "db/dialect/TargetRules.h"
#include "db/dialect/TsqlTranslator.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace db::dialect::tree {

// ---------------------------------------------------------------------------------------------
// FROM clause: the tables, how each is joined to the ones before it, and the join conditions.

struct TableRef {
    std::string join;        // "" for the first table, else ",", "inner", "cross", "left", "right" or "full"
    size_t joinFirst = npos;  // first position of the join words (or the comma)
    size_t first = 0;         // the table name or derived table ...
    size_t nameLast = 0;      // ... its last position before the alias
    size_t last = 0;          // through the alias
    std::string table;        // unquoted table name; empty for a derived table
    std::string alias;        // unquoted alias; empty if none
    size_t onFirst = npos;    // the ON keyword ...
    size_t onLast = npos;     // ... through the end of the condition
};

struct FromClause {
    std::vector<TableRef> refs;
    size_t end = 0;         // position just after the clause
    bool complete = false;  // every part was understood
};

// Whether the node ends a select list or a FROM clause.
bool EndsClause(const Node& n);

// The FROM clause whose first table is at p.
FromClause ParseFrom(const SeqView& v, size_t p);

// The table a DELETE or UPDATE names: by alias first, then by table name. npos if absent or ambiguous.
size_t FindTarget(const FromClause& fc, std::string_view target);

// ---------------------------------------------------------------------------------------------
// Whether an expression is text, a number, or not known; decides between '+' and '||'.

enum class Kind { Unknown, Text, Numeric };

class TypeGuesser {
public:
    TypeGuesser(const TextColumnOracle& isText, const TextColumnOracle& isKnown) : oracle_(isText), known_(isKnown) {}

    Kind OfNodes(const Seq& seq, size_t begin, size_t end) const;

    // For each CASE its END and for each END its CASE; npos where unmatched.
    static std::vector<size_t> MatchCases(const SeqView& v);

    // First position of the operand that ends at p, if it is a primary.
    static std::optional<size_t> PrimaryBefore(const SeqView& v, size_t p, const std::vector<size_t>& cases);

    // Last position of the operand that starts at p, if it is a primary.
    static std::optional<size_t> PrimaryAfter(const SeqView& v, size_t p, const std::vector<size_t>& cases);

    Kind OfPrimary(const SeqView& v, size_t a, size_t b, const std::vector<size_t>& cases) const;

private:
    // A known column that is not text holds numbers or dates: T-SQL converts text to its type.
    Kind OfColumn(std::string_view qualifier, std::string_view column) const;
    Kind OfCall(const std::string& name, const Seq& args) const;
    // Text when any THEN or ELSE branch is.
    Kind OfCase(const SeqView& v, size_t a, size_t b, const std::vector<size_t>& cases) const;

    const TextColumnOracle& oracle_;
    const TextColumnOracle& known_;
};

// ---------------------------------------------------------------------------------------------
// Rewrites

// Within one sequence and the groups in it, innermost first: N'..', [names], function calls, nested
// block comments, '+' between texts, TOP n.
void RewriteSequence(Seq& seq, const TypeGuesser& types, const TargetRules& rules);

// DELETE and UPDATE with joins, for the statement at nodes [begin, end); nothing when the statement
// is none of those or keeps its text.
std::optional<std::string> RewriteStatement(const Seq& seq, size_t begin, size_t end, const TargetRules& rules);

}  // namespace db::dialect::tree
