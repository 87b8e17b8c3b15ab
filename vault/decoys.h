#pragma once

#include <QString>
#include <cstdint>
#include <functional>

// The decoys' pseudo-random generator: seed := seed * 134775813 + 1 mod 2^32
// before each draw; a draw below n is seed * n / 2^32.
class DecoyRandom {
public:
    explicit DecoyRandom(std::uint32_t seed)
        : m_seed(seed)
    {
    }
    std::uint32_t below(std::uint32_t n);
    std::uint32_t seed() const { return m_seed; }

private:
    std::uint32_t m_seed;
};

// ((hour * 60 + minute) * 60 + second) * 1000 + millisecond of the current
// UTC time of day.
std::uint32_t DecoySeedFromClock();

// Adds 1 to 10 random decoy entries to the secret section of the vault file
// at iniPath, reseeded from the clock at every call. Joins the TIniFile that
// is open on that path, if any; otherwise writes the file itself.
void WriteDecoys(const QString& iniPath);

// Test seam: replaces the clock that seeds WriteDecoys (empty = real clock).
void setDecoyClockForTesting(std::function<std::uint32_t()> clock);
