/* LD_PRELOAD shim: a slow disk. Every fdatasync/fsync of a file under
 * $VELMOR_SLOW_PREFIX sleeps $VELMOR_SLOW_MS milliseconds first, as a USB
 * stick or a network folder makes a program wait for its data to land. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static void slowDown(int fd)
{
    const char* prefix = getenv("VELMOR_SLOW_PREFIX");
    const char* ms = getenv("VELMOR_SLOW_MS");
    if (!prefix || !ms) return;
    char link[64], path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0) return;
    path[n] = 0;
    if (strncmp(path, prefix, strlen(prefix)) != 0) return;
    const long wait = atol(ms);
    struct timespec t = {wait / 1000, (wait % 1000) * 1000000L};
    nanosleep(&t, NULL);
}

int fdatasync(int fd)
{
    static int (*real)(int);
    if (!real) real = (int (*)(int))dlsym(RTLD_NEXT, "fdatasync");
    slowDown(fd);
    return real(fd);
}

int fsync(int fd)
{
    static int (*real)(int);
    if (!real) real = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    slowDown(fd);
    return real(fd);
}
