#include "journal/SkippingScan.h"

#include <sqlite3.h>

#include <algorithm>

SkippingScan::SkippingScan(sqlite3_stmt* statement, int64_t highest) : m_statement(statement), m_highest(highest) {}

SkippingScan::Probe SkippingScan::probe(int64_t from)
{
    sqlite3_reset(m_statement);
    sqlite3_bind_int64(m_statement, 1, from);
    return classify(sqlite3_step(m_statement), from);
}

SkippingScan::Probe SkippingScan::classify(int result, int64_t from)
{
    if (result == SQLITE_DONE)
        return Probe::End;
    if (result != SQLITE_ROW)
        return Probe::Damaged;
    const int64_t key = sqlite3_column_int64(m_statement, 0);
    // A damaged b-tree can lead back to rows already passed: taken as damage, so the walk still
    // moves forward.
    if (key < from)
        return Probe::Damaged;
    if (key > m_highest)
        return Probe::End;
    m_key = key;
    return Probe::Row;
}

bool SkippingScan::seek(int64_t from)
{
    if (from > m_highest)
        return false;
    Probe found = probe(from);
    if (found != Probe::Damaged)
        return found == Probe::Row;
    // Jumps grow, so that a damaged subtree of any size is passed in few seeks, but only up to a
    // share of what is left: a longer jump could pass over a readable stretch between two
    // damaged ones (or before a damaged last page, behind which every seek fails).
    const uint64_t longestJump = std::max<uint64_t>(1, uint64_t(m_highest - from) / kSeeksAcross);
    int64_t damaged = from;
    int64_t reached = from;
    for (uint64_t jump = 1; found == Probe::Damaged; jump = std::min(jump * 2, longestJump)) {
        if (damaged == m_highest)
            return false;
        reached = damaged + int64_t(std::min(jump, uint64_t(m_highest - damaged)));
        found = probe(reached);
        if (found == Probe::Damaged)
            damaged = reached;
    }
    while (reached - damaged > 1) {
        const int64_t middle = damaged + (reached - damaged) / 2;
        (probe(middle) == Probe::Damaged ? damaged : reached) = middle;
    }
    return probe(reached) == Probe::Row;
}

bool SkippingScan::next()
{
    if (m_key >= m_highest)
        return false;
    const int64_t after = m_key + 1;
    switch (classify(sqlite3_step(m_statement), after)) {
    case Probe::Row:
        return true;
    case Probe::End:
        return false;
    case Probe::Damaged:
        break;
    }
    return seek(after);
}

bool SkippingScan::seekPast()
{
    return m_key < m_highest && seek(m_key + 1);
}
