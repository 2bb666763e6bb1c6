#pragma once

#include <cstdint>

// The cable watchdog's 10 ms tick and its check on every third tick, counted from the last
// decoded frame, worked out from a clock instead of ticked. The same checks fall on the same
// ticks as a free-running timer would give them, so the program can sleep until the next check
// that can change anything instead of waking a hundred times a second.
//
// Tick k (counted from 0) comes (k + 1) ticks after the origin. A decoded frame starts the
// three-tick cycle again: the first tick after it counts 1, the second 2, the third checks.
class WatchdogGrid {
public:
    static constexpr int64_t kTickMs = 10;

    explicit WatchdogGrid(int64_t originMs) : m_origin(originMs) {}

    // The last tick at or before the moment ms; -1 before the first.
    int64_t lastTickAt(int64_t ms) const;
    int64_t timeOfTick(int64_t tick) const { return m_origin + (tick + 1) * kTickMs; }

    // A frame was decoded at ms, after every tick up to lastTickAt(ms) had been seen.
    void restartCycle(int64_t ms) { m_cycleStart = lastTickAt(ms) + 1; }

    // The checks on the ticks after `after`, up to and including `through`.
    int64_t checksBetween(int64_t after, int64_t through) const;
    // The tick of the n-th check after the tick `after` (n >= 1).
    int64_t nthCheckAfter(int64_t after, int64_t n) const;

private:
    int64_t firstCheckIndexAfter(int64_t after) const;

    int64_t m_origin;
    int64_t m_cycleStart = 0;  // the first tick of the current cycle
};
