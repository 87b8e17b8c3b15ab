#pragma once

#include <QString>

#include "metafile/bytereader.h"

// Text of the system's ANSI code page (Windows-1252), as ExtTextOutA and
// the WMF text records store it; the whole reader is decoded.
QString decodeAnsi(ByteReader bytes);

// UTF-16 little-endian text of count code units.
QString decodeUtf16(ByteReader units);

// A NUL-terminated name in a fixed-size field.
QString decodeAnsiName(ByteReader field);
QString decodeUtf16Name(ByteReader field);
