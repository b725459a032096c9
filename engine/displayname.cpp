#include "displayname.h"

QString displayName(const QByteArray &raw)
{
    return QString::fromUtf8(raw);
}
