// qp-dbus-files PROGRAM DATADIR: writes the session bus's activation files and interface
// descriptions that start PROGRAM, under DATADIR/dbus-1, exactly as "pallant -RegServer"
// writes them for one user. The installation runs it for the installed program.
#include "server/Registration.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: qp-dbus-files PROGRAM DATADIR\n");
        return 2;
    }
    try {
        qp::WriteRegistration(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qp-dbus-files: %s under %s\n", e.what(), argv[2]);
        return 1;
    }
    return 0;
}
