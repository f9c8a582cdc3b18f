// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/startup.h"

int main(int argc, char *argv[])
{
    return Module1::Main(argc, argv);
}
