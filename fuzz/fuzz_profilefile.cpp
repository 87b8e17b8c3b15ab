// The profile-file parser over arbitrary bytes: parses, answers queries of
// arbitrary names, edits, and checks that what it writes out reads back the
// same (for any edit, as long as the content says it does).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "profilefile.h"

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

// A name or value such as the vault writes: letters and digits only, so
// that no blank is trimmed, no quote stripped and no line split.
std::string plainWord(FuzzedDataProvider& in, std::size_t maxLength)
{
    std::string word = in.ConsumeRandomLengthString(maxLength);
    for (char& c : word) {
        const auto u = static_cast<unsigned char>(c);
        c = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"[u % 62];
    }
    return word;
}

// Every query answers the same on both files.
void checkSameAnswers(
    const ProfileFile& a, const ProfileFile& b, const std::string& section, const std::string& key)
{
    check(a.read(section, key) == b.read(section, key));
    check(a.hasKey(section, key) == b.hasKey(section, key));
    check(a.sectionHasKeys(section) == b.sectionHasKeys(section));
    check(a.keys(section) == b.keys(section));
}

// Writing out and reading back changes nothing, and a second writing out
// gives the same bytes.
void checkRoundTrip(const ProfileFile& file, const std::string& section, const std::string& key)
{
    const std::string once = file.serialise();
    const ProfileFile again = ProfileFile::parse(once);
    check(again.serialise() == once);
    checkSameAnswers(file, again, section, key);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(32);
    const std::string key = in.ConsumeRandomLengthString(32);
    const std::string newSection = plainWord(in, 8);
    const std::string newKey = plainWord(in, 8);
    const std::string newValue = plainWord(in, 64);
    const std::string anySection = in.ConsumeRandomLengthString(16);
    const std::string anyKey = in.ConsumeRandomLengthString(16);
    const std::string anyValue = in.ConsumeRandomLengthString(32);
    ProfileFile file = ProfileFile::parse(in.ConsumeRemainingBytesAsString());

    // Queries of arbitrary names.
    const std::string value = file.read(section, key);
    check(value.size() <= ProfileFile::kMaxValue);
    check(file.hasKey(section, key) || value.empty());
    check(!file.hasKey(section, key) || file.sectionHasKeys(section));
    const std::vector<std::string> keys = file.keys(section);
    check(keys.empty() != file.sectionHasKeys(section));
    for (const std::string& listed : keys)
        check(file.hasKey(section, listed));
    checkRoundTrip(file, section, key);

    // An edit reads back, before and after a round trip.
    file.write(newSection, newKey, newValue);
    if (!newKey.empty()) {
        check(file.read(newSection, newKey) == newValue);
        check(file.sectionHasKeys(newSection));
    }
    checkRoundTrip(file, newSection, newKey);
    checkRoundTrip(file, section, key);

    file.clearSection(section);
    check(!file.sectionHasKeys(section));
    check(file.read(section, key).empty());
    checkRoundTrip(file, section, key);
    checkRoundTrip(file, newSection, newKey);

    // Any edit at all: while the content says it reads back as written,
    // it does.
    file.write(anySection, anyKey, anyValue);
    if (file.readsBackAsWritten()) {
        checkRoundTrip(file, anySection, anyKey);
        checkRoundTrip(file, section, key);
    }
    return 0;
}
