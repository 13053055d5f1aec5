/* Packs the corpus with the archive writer and compresses the same files with zlib level 9
 * (raw deflate, windowBits 13 and 15), all in one run: prints the sizes and the packing
 * time as ratios to zlib. Usage: pack_bench [CORPUS]. */
#define _GNU_SOURCE
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <zlib.h>

#include "archive/archive_file.h"
#include "writer/archive_writer.h"

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static char **files;
static size_t file_count;

static int collect(const char *path, const struct stat *st, int kind, struct FTW *ftw)
{
    (void)st;
    (void)ftw;
    if (kind == FTW_F) {
        files = realloc(files, (file_count + 1) * sizeof *files);
        files[file_count++] = strdup(path);
    }
    return 0;
}

static unsigned char *read_whole(const char *path, size_t *size)
{
    FILE *f = fopen(path, "rb");
    if (f == NULL)
        return NULL;
    fseek(f, 0, SEEK_END);
    *size = (size_t)ftell(f);
    fseek(f, 0, SEEK_SET);
    unsigned char *data = malloc(*size + 1);
    if (fread(data, 1, *size, f) != *size) {
        free(data);
        data = NULL;
    }
    fclose(f);
    return data;
}

/* Reads and deflates every file; returns the compressed bytes in all. */
static uint64_t deflate_all(int window_bits, uint64_t *input)
{
    uint64_t total = 0;
    *input = 0;
    for (size_t i = 0; i < file_count; i++) {
        size_t size;
        unsigned char *data = read_whole(files[i], &size);
        if (data == NULL) {
            fprintf(stderr, "cannot read %s\n", files[i]);
            exit(1);
        }
        z_stream z;
        memset(&z, 0, sizeof z);
        deflateInit2(&z, 9, Z_DEFLATED, -window_bits, 9, Z_DEFAULT_STRATEGY);
        uLong bound = deflateBound(&z, (uLong)size);
        unsigned char *out = malloc(bound);
        z.next_in = data;
        z.avail_in = (uInt)size;
        z.next_out = out;
        z.avail_out = (uInt)bound;
        if (deflate(&z, Z_FINISH) != Z_STREAM_END) {
            fprintf(stderr, "deflate failed on %s\n", files[i]);
            exit(1);
        }
        total += z.total_out;
        *input += size;
        deflateEnd(&z);
        free(out);
        free(data);
    }
    return total;
}

int main(int argc, char **argv)
{
    const char *corpus = argc > 1 ? argv[1] : QM_BENCH_CORPUS;
    if (nftw(corpus, collect, 32, FTW_PHYS) != 0 || file_count == 0) {
        fprintf(stderr, "no corpus at %s\n", corpus);
        return 1;
    }
    char folder[] = "/tmp/pack_bench-XXXXXX";
    if (mkdtemp(folder) == NULL)
        return 1;
    char stub[64], output[64];
    snprintf(stub, sizeof stub, "%s/stub.exe", folder);
    snprintf(output, sizeof output, "%s/out.exe", folder);
    FILE *f = fopen(stub, "wb");
    for (int i = 0; i < archive_offset; i++)
        fputc(0, f);
    fclose(f);

    const int rounds = 3;
    double ours = 1e9, zlib15 = 1e9;
    uint64_t archive = 0, input = 0, size13 = 0, size15 = 0;
    const char *sources[] = {corpus};
    pack_settings settings = {stub, "", "", NULL, 0, NULL};
    for (int round = 0; round < rounds; round++) {
        char error[1024];
        double t0 = now();
        if (pack_archive(sources, 1, output, &settings, error, sizeof error) != pack_done) {
            fprintf(stderr, "pack failed: %s\n", error);
            return 1;
        }
        double t1 = now();
        size15 = deflate_all(15, &input);
        double t2 = now();
        if (t1 - t0 < ours)
            ours = t1 - t0;
        if (t2 - t1 < zlib15)
            zlib15 = t2 - t1;
    }
    size13 = deflate_all(13, &input);
    struct stat st;
    stat(output, &st);
    archive = (uint64_t)st.st_size - (uint64_t)archive_offset;
    unlink(output);
    unlink(stub);
    rmdir(folder);

    printf("corpus: %s, %zu files, %llu bytes\n", corpus, file_count, (unsigned long long)input);
    printf("archive (header, names, times, blocks; stub not counted): %llu bytes\n",
           (unsigned long long)archive);
    printf("zlib -9 raw deflate, windowBits 13 (file data only): %llu bytes\n", (unsigned long long)size13);
    printf("zlib -9 raw deflate, windowBits 15 (file data only): %llu bytes\n", (unsigned long long)size15);
    printf("size ratio archive / zlib wb13: %.3f\n", (double)archive / (double)size13);
    printf("size ratio archive / zlib wb15: %.3f\n", (double)archive / (double)size15);
    printf("packing time (best of %d): ours %.3f s, zlib -9 wb15 %.3f s (reading included in both)\n", rounds,
           ours, zlib15);
    printf("time ratio ours / zlib -9: %.2f\n", ours / zlib15);
    return 0;
}
