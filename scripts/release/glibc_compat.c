/* Linked into the Linux release only. The static libstdc++ of Debian 12 refers
   to arc4random (new in glibc 2.36) from std::random_device, which the show
   never uses; defining it here keeps the program loadable on glibc 2.35
   (Ubuntu 22.04, Linux Mint 21.3). */
#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/random.h>

uint32_t arc4random(void)
{
    uint32_t value;
    ssize_t got;
    do got = getrandom(&value, sizeof value, 0);
    while (got < 0 && errno == EINTR);
    if (got != (ssize_t)sizeof value) abort();
    return value;
}
