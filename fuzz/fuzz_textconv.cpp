// The conversions a vault file's values go through: TextToInt and the field
// cipher's DecryptText over arbitrary text, with the round trips that must
// hold.
#include <cstdlib>
#include <string>
#include <string_view>

#include "encryptdecrypt.h"
#include "kaldrinoerror.h"
#include "textconv.h"

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

bool isDigits(std::string_view text)
{
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // TextToInt: the throwing and non-throwing forms agree, and a number
    // written as the vault writes it reads back.
    std::int32_t quiet = 0;
    const bool accepted = TryTextToInt(text, quiet);
    try {
        const std::int32_t thrown = TextToInt(text);
        check(accepted && thrown == quiet);
        std::int32_t back = 0;
        check(TryTextToInt(IntToText(quiet), back) && back == quiet);
    } catch (const ConversionError& error) {
        check(!accepted);
        check(error.message().find("n'est pas une valeur enti") != std::string::npos);
    }

    // DecryptText either decodes or reports a conversion error.
    try {
        const std::string plain = DecryptText(text);
        check(plain.size() <= 255);
    } catch (const ConversionError&) {
    }

    // Any text of up to 255 bytes survives the cipher; longer ones keep
    // their first 255 bytes.
    const std::string encoded = EncryptText(text, 12345);
    check(encoded.size() % 5 == 0 && encoded.size() >= 25 && isDigits(encoded));
    if (!text.empty())
        check(DecryptText(encoded) == text.substr(0, 255));
    return 0;
}
