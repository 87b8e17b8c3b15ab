// Starts as the program does, as far as the claim on the vault: prints
// "held" and keeps the claim until its input ends, or prints the warning
// it would show and "refused". Its argument is the program's folder,
// ending in '/'.
#include <cstdio>
#include <unistd.h>

#include "kaldrinoapplication.h"
#include "messagebox.h"
#include "singleinstance.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KaldrinoApplication app(argc, argv);
    setMessageSeamForTesting([](const MessageRecord& message) {
        std::printf("box %d: %s\n", int(message.kind), message.text.toUtf8().constData());
        return MsgResult::Ok;
    });

    SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    if (!ClaimVault(instance)) {
        std::printf("refused\n");
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    char byte;
    while (::read(STDIN_FILENO, &byte, 1) > 0) { }
    return 0;
}
