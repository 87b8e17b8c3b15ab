#include "setupresources.h"

#include <QtGlobal>

static void registerSetupResources()
{
    Q_INIT_RESOURCE(setup);
}

void initSetupResources()
{
    static const bool registered = (registerSetupResources(), true);
    Q_UNUSED(registered);
}
