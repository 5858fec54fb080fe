/*
 * A stand-in for the SMB client library that Debian's player and encoder are
 * linked with. The real one brings in over a hundred libraries of its own,
 * and binding their symbols cost each tool start about 45 ms, a fifth of a
 * short row's encoder run. The tools are only ever given local files, so
 * their "smb://" reading is never used; here every call fails as a network
 * share that cannot be reached would.
 */
#include <errno.h>
#include <stddef.h>
#include <sys/types.h>

int smbc_init(void *authenticate, int debug);
int smbc_open(const char *url, int flags, mode_t mode);
ssize_t smbc_read(int fd, void *buffer, size_t size);
ssize_t smbc_write(int fd, const void *buffer, size_t size);
off_t smbc_lseek(int fd, off_t offset, int whence);
int smbc_close(int fd);

int smbc_init(void *authenticate, int debug)
{
    (void)authenticate;
    (void)debug;
    errno = ENOSYS;
    return -1;
}

int smbc_open(const char *url, int flags, mode_t mode)
{
    (void)url;
    (void)flags;
    (void)mode;
    errno = ENOSYS;
    return -1;
}

ssize_t smbc_read(int fd, void *buffer, size_t size)
{
    (void)fd;
    (void)buffer;
    (void)size;
    errno = EBADF;
    return -1;
}

ssize_t smbc_write(int fd, const void *buffer, size_t size)
{
    (void)fd;
    (void)buffer;
    (void)size;
    errno = EBADF;
    return -1;
}

off_t smbc_lseek(int fd, off_t offset, int whence)
{
    (void)fd;
    (void)offset;
    (void)whence;
    errno = EBADF;
    return -1;
}

int smbc_close(int fd)
{
    (void)fd;
    errno = EBADF;
    return -1;
}
