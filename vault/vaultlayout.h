#pragma once

#include <QString>
#include <string>

// Names fixed by the vault file's layout.
namespace vault {

inline constexpr const char* kFileName = "kaldrino.ini";
inline constexpr const char* kConfigSection = "config";
inline constexpr const char* kImageKey = "image";
inline constexpr const char* kPictureFolderKey = "CheminImagesPerso";

// The secret section's name: EncryptText("secret"), the same at every call.
const std::string& SecretSection();

// appDir ends in a separator.
QString vaultPath(const QString& appDir);

} // namespace vault
