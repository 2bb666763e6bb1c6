#pragma once

#include <cstdint>

struct sqlite3_stmt;

// Walks, in key order, the rows of a query on a database whose pages may be damaged. The query
// selects its integer key first and takes the key's lower bound as parameter 1:
//   SELECT key, ... FROM ... WHERE key >= ?1 ... ORDER BY key
// Where a step runs into a damaged page, the walk seeks further on with growing jumps: a seek
// goes down the b-tree from its root, so it often reaches the pages after the damaged one. Then
// it narrows down to the first key it can reach again, so that little more than the damaged
// pages' rows is lost. Every seek moves the walk forward, and getting past one damaged stretch
// takes at most about kSeeksAcross seeks, so the walk ends on any file, however damaged.
class SkippingScan {
public:
    // A readable stretch longer than this share of the keys left to search is never passed over.
    static constexpr int64_t kSeeksAcross = 1024;

    // Keys above `highest` are not looked for. The statement stays the caller's.
    SkippingScan(sqlite3_stmt* statement, int64_t highest);

    // To the first row that can be read whose key is at least `from` (not negative); false when
    // there is none. The row is the statement's current one.
    bool seek(int64_t from);
    // To the next row that can be read; false when there is none.
    bool next();
    // To the first row that can be read whose key is above this row's.
    bool seekPast();
    int64_t key() const { return m_key; }

private:
    enum class Probe { Row, End, Damaged };
    Probe probe(int64_t from);
    Probe classify(int result, int64_t from);

    sqlite3_stmt* m_statement;
    int64_t m_highest;
    int64_t m_key = 0;
};
