#include <gtest/gtest.h>

#include "kaldrinoapplication.h"

// Widget tests run inside the real application object, on the offscreen
// platform unless the environment says otherwise.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KaldrinoApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
