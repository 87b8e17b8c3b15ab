#pragma once

#include <QString>
#include <string>
#include <string_view>

// Text in the vault layer is bytes in Windows-1252; the UI speaks Unicode.
// The conversions round-trip all 256 byte values: the five bytes that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
// C1 code points of the same value.
QString fromCp1252(std::string_view bytes);

// Characters Windows-1252 cannot hold become '?'.
std::string toCp1252(const QString& text);
// The same, in place of bytes' content (its memory is reused).
void toCp1252(const QString& text, std::string& bytes);

// The Windows-1252 byte of one UTF-16 code unit; '?' when the code page has
// none (a lone surrogate never has one).
unsigned char cp1252Byte(QChar c);

// Whether a UTF-16 code unit maps to a Windows-1252 byte (surrogates never do).
bool isCp1252Representable(QChar c);

// For building UTF-8 error messages from stored bytes.
std::string cp1252ToUtf8(std::string_view bytes);
