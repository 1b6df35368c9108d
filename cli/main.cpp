// kzctl: scans, reads, backs up, restores, compares and sets meters from the
// command line.
#include <cstdio>

int main()
{
    std::fputs("kzctl: not built yet\n", stderr);
    return 2;
}
