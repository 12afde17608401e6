#include "Profiles.h"

namespace Profiles {

bool IsValidName(const QString& name)
{
    if (name.isEmpty() || name.size() > 64)
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool allowed = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
                             u == '-' || u == '_';
        if (!allowed)
            return false;
    }
    return true;
}

QString DataFolder(const QString& dataFolder, const QString& name)
{
    return dataFolder + QLatin1String("profiles/") + name + u'/';
}

QString InvalidNameMessage(const QString& name)
{
    return QStringLiteral("invalid profile name \"%1\": use 1 to 64 letters, digits, - and _").arg(name);
}

} // namespace Profiles
