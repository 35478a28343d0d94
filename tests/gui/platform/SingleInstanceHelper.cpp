// single_instance_helper <key> claim|crash
//   claim: prints "first" (exit 0) or "another" (exit 3)
//   crash: claims, prints the outcome and dies without cleaning up, as a crashed copy would
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/SingleInstance.h"

using tarvik::platform::SingleInstance;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: single_instance_helper <key> claim|crash\n", stderr);
        return 2;
    }
    SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    const bool first = instance.claim() == SingleInstance::Outcome::First;
    std::puts(first ? "first" : "another");
    std::fflush(stdout);
    if (std::strcmp(argv[2], "crash") == 0) {
        std::_Exit(first ? 0 : 3);
    }
    return first ? 0 : 3;
}
