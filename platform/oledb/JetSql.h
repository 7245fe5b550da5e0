// Translation of Jet SQL into the dialect of the file, done once per command text.
#pragma once

#include <string>
#include <vector>

// COUNTER keys, DEFAULT NOW(), #date# literals and the text collation are rewritten; the rest stays as written.
std::string JetTranslateSql(const std::string& strSql);

// Parses the inside of a #...# literal (m/d/y with an optional h:m:s); false when it is not a date.
bool JetParseDateLiteral(const std::string& strText, double& dDate);

// Splits "SELECT list FROM table [WHERE ...] [ORDER BY ...]" over one table; false for anything else
// (joins, grouping, DISTINCT, TOP, several tables). strTail is what follows the table name.
bool JetSplitSingleTableSelect(const std::string& strSql, std::string& strTable, std::string& strTail,
                               bool& bOrdered);

// Rewrites "SELECT list FROM ..." so that each item flagged in defer, when written "table.column", yields
// only the column's length, and appends "table.rowid" for each such item to the list in their order.
// tables and columns name what each rewritten item reads; empty when none could be rewritten.
std::string JetDeferColumns(const std::string& strSql, const std::vector<bool>& defer,
                            std::vector<std::string>& tables, std::vector<std::string>& columns);
