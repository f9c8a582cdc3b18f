#include "app/startup.h"

int main(int argc, char *argv[])
{
    return Module1::Main(argc, argv);
}
