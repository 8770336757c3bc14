// oplexa-host's entry point.
#include "tools/host/HostMain.h"

int main(int argc, char** argv)
{
    return host::hostMain(argc, argv);
}
