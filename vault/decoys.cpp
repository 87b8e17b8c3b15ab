#include "decoys.h"

#include <QDateTime>
#include <QTime>

#include "encryptdecrypt.h"
#include "inifile.h"
#include "textconv.h"
#include "vaultlayout.h"

namespace {

std::function<std::uint32_t()>& clockOverride()
{
    static std::function<std::uint32_t()> clock;
    return clock;
}

} // namespace

std::uint32_t DecoyRandom::below(std::uint32_t n)
{
    m_seed = m_seed * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(m_seed) * n) >> 32);
}

std::uint32_t DecoySeedFromClock()
{
    const QTime t = QDateTime::currentDateTimeUtc().time();
    return static_cast<std::uint32_t>(((t.hour() * 60 + t.minute()) * 60 + t.second()) * 1000 + t.msec());
}

void setDecoyClockForTesting(std::function<std::uint32_t()> clock)
{
    clockOverride() = std::move(clock);
}

void WriteDecoys(const QString& iniPath)
{
    TIniFile ini(iniPath);
    const auto& clock = clockOverride();
    DecoyRandom random(clock ? clock() : DecoySeedFromClock());

    const std::uint32_t count = 1 + random.below(10);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t length = 1 + random.below(20);
        std::string text(length, '\0');
        for (char& c : text)
            c = static_cast<char>(1 + random.below(26));
        const std::string value = EncryptText(text);
        const std::uint32_t number = 1 + random.below(1000);
        ini.WriteEntry(vault::SecretSection(), EncryptText(IntToText(number)), value);
    }
    ini.UpdateFile();
}
