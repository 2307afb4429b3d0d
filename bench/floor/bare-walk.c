/* The floor for the scan benchmark: the least a parallel walk can do. N threads share a stack of
 * folders; each opens a folder by its full path, reads it with getdents64 and statx'es
 * every entry, adding up the blocks. No tree is kept. Prints entries and bytes on disk.
 * Usage: bare-walk PATH [THREADS]   (default 8) */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

struct dirent64_ {
    uint64_t ino;
    int64_t off;
    unsigned short reclen;
    unsigned char type;
    char name[];
};

static char** stack;
static size_t depth, room, busy;
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t more = PTHREAD_COND_INITIALIZER;
static uint64_t entries, blocks;

static void push(char* path) {
    if (depth == room) {
        room = room ? room * 2 : 1024;
        stack = realloc(stack, room * sizeof *stack);
    }
    stack[depth++] = path;
}

static void* work(void* unused) {
    (void)unused;
    char* buffer = malloc(32768);
    uint64_t myEntries = 0, myBlocks = 0;
    for (;;) {
        pthread_mutex_lock(&lock);
        while (depth == 0 && busy != 0)
            pthread_cond_wait(&more, &lock);
        if (depth == 0) {
            pthread_cond_broadcast(&more);
            pthread_mutex_unlock(&lock);
            break;
        }
        char* path = stack[--depth];
        ++busy;
        pthread_mutex_unlock(&lock);

        size_t length = strlen(path);
        int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        char** found = NULL;
        size_t foundCount = 0, foundRoom = 0;
        if (fd >= 0) {
            long n;
            while ((n = syscall(SYS_getdents64, fd, buffer, 32768)) > 0) {
                for (long pos = 0; pos < n;) {
                    struct dirent64_* d = (struct dirent64_*)(buffer + pos);
                    pos += d->reclen;
                    if (d->name[0] == '.' && (!d->name[1] || (d->name[1] == '.' && !d->name[2]))) continue;
                    if (d->type == DT_LNK) continue;
                    struct statx sx;
                    if (statx(fd, d->name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC,
                              STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_SIZE | STATX_BLOCKS |
                                  STATX_MTIME | STATX_BTIME,
                              &sx) != 0)
                        continue;
                    ++myEntries;
                    if (S_ISDIR(sx.stx_mode)) {
                        size_t nameLength = strlen(d->name);
                        char* child = malloc(length + nameLength + 2);
                        memcpy(child, path, length);
                        child[length] = '/';
                        memcpy(child + length + 1, d->name, nameLength + 1);
                        if (foundCount == foundRoom) {
                            foundRoom = foundRoom ? foundRoom * 2 : 16;
                            found = realloc(found, foundRoom * sizeof *found);
                        }
                        found[foundCount++] = child;
                    } else {
                        myBlocks += sx.stx_blocks;
                    }
                }
            }
            close(fd);
        }
        free(path);
        pthread_mutex_lock(&lock);
        for (size_t i = 0; i < foundCount; ++i)
            push(found[i]);
        --busy;
        pthread_cond_broadcast(&more);
        pthread_mutex_unlock(&lock);
        free(found);
    }
    pthread_mutex_lock(&lock);
    entries += myEntries;
    blocks += myBlocks;
    pthread_mutex_unlock(&lock);
    free(buffer);
    return NULL;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: bare-walk PATH [THREADS]\n");
        return 2;
    }
    int threads = argc > 2 ? atoi(argv[2]) : 8;
    if (threads < 1) threads = 1;
    push(strdup(argv[1]));
    pthread_t* ids = calloc((size_t)threads, sizeof *ids);
    for (int i = 0; i < threads; ++i)
        pthread_create(&ids[i], NULL, work, NULL);
    for (int i = 0; i < threads; ++i)
        pthread_join(ids[i], NULL);
    printf("entries=%llu disk_bytes=%llu\n", (unsigned long long)entries + 1,
           (unsigned long long)blocks * 512);
    free(ids);
    free(stack);
    return 0;
}
