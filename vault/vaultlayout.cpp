#include "vaultlayout.h"

#include "encryptdecrypt.h"

namespace vault {

const std::string& SecretSection()
{
    static const std::string name = EncryptText("secret");
    return name;
}

QString vaultPath(const QString& appDir)
{
    return appDir + QLatin1String(kFileName);
}

} // namespace vault
