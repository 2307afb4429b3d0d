/* What fresh memory costs on this machine: N threads each take an equal share of SIZE megabytes and
 * write one byte per page, as a scan building its tree in new memory must; prints the wall time. The
 * walker keeps no tree, so this is what a tree of that size adds to its floor at the least.
 * Usage: fresh-memory MEGABYTES [THREADS]   (default 8) */
#define _GNU_SOURCE
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static size_t share;

static void* touch(void* unused) {
    (void)unused;
    char* memory = malloc(share);
    if (!memory) return NULL;
    const size_t page = (size_t)sysconf(_SC_PAGESIZE);
    for (size_t i = 0; i < share; i += page)
        ((volatile char*)memory)[i] = 1;
    return memory;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: fresh-memory MEGABYTES [THREADS]\n");
        return 2;
    }
    const size_t megabytes = strtoul(argv[1], NULL, 10);
    int threads = argc > 2 ? atoi(argv[2]) : 8;
    if (threads < 1) threads = 1;
    share = (megabytes << 20) / (size_t)threads;
    pthread_t* ids = calloc((size_t)threads, sizeof *ids);
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (int i = 0; i < threads; ++i)
        pthread_create(&ids[i], NULL, touch, NULL);
    for (int i = 0; i < threads; ++i)
        pthread_join(ids[i], NULL);
    clock_gettime(CLOCK_MONOTONIC, &end);
    printf("megabytes=%zu threads=%d seconds=%.4f\n", megabytes, threads,
           (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) / 1e9);
    free(ids);
    return 0;
}
