#include <gtest/gtest.h>

#include "accessgate.h"

namespace {

struct GateCase {
    bool vaultExists;
    bool pictureExists;
    bool hasSecret;
    GateBranch branch;
};

const char* nameOf(GateBranch branch)
{
    switch (branch) {
    case GateBranch::Setup:
        return "Setup";
    case GateBranch::EraseAndSetup:
        return "EraseAndSetup";
    case GateBranch::Verify:
        return "Verify";
    }
    return "?";
}

TEST(DecideGate, FollowsTheVaultThenThePictureThenTheSecret)
{
    const GateCase cases[] = {
        // No vault file: first use, whatever else lies in the folder.
        { false, false, false, GateBranch::Setup },
        { false, false, true, GateBranch::Setup },
        { false, true, false, GateBranch::Setup },
        { false, true, true, GateBranch::Setup },
        // The picture is gone: its secret can't be proved, so it goes.
        { true, false, false, GateBranch::EraseAndSetup },
        { true, false, true, GateBranch::EraseAndSetup },
        { true, true, true, GateBranch::Verify },
        { true, true, false, GateBranch::Setup },
    };
    for (const GateCase& c : cases)
        EXPECT_STREQ(nameOf(DecideGate(c.vaultExists, c.pictureExists, c.hasSecret)), nameOf(c.branch))
            << "vault " << c.vaultExists << ", picture " << c.pictureExists << ", secret " << c.hasSecret;
}

} // namespace
