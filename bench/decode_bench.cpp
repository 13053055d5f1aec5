// Decoding speed against zlib: every file of a corpus coded by our encoder as one entry
// sequence in blocks, decoded through the real archive stream (block reads, checks and
// all, output kept in the window only), and the same files each deflated raw by zlib at
// level 9 with an 8 KiB window (windowBits 13), inflated into memory. Both in this run,
// best of several rounds, interleaved, in processor time.
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>
#include <zlib.h>
#include "bench/zlib_peer.h"
#include "archive/archive_file.h"
#include "archive/decoder.h"
#include "archive/input_stream.h"
#include "extract/output_file.h"
#include "extract/output_writer.h"
#include "writer/block_writer.h"
#include "writer/entry_encoder.h"

namespace fs = std::filesystem;
typedef std::vector<uint8_t> bytes;

static void append_to(void *context, const uint8_t *data, size_t count)
{
    auto *out = static_cast<bytes *>(context);
    out->insert(out->end(), data, data + count);
}

// The thread's own processor time: on a shared machine it leaves out the time other
// programs hold the processor, which wall time would count against whoever ran then.
static double cpu_seconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

struct corpus_file {
    bytes data;
    bytes deflated;
};


int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER [ROUNDS]\n", argv[0]);
        return 2;
    }
    int rounds = argc > 2 ? std::atoi(argv[2]) : 40;
    std::vector<fs::path> paths;
    for (auto &e : fs::recursive_directory_iterator(argv[1]))
        if (e.is_regular_file())
            paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());

    std::vector<corpus_file> files;
    bytes sequence;
    size_t total = 0, ours = 0, theirs = 0;
    auto encoder = std::make_unique<entry_encoder>();
    for (auto &p : paths) {
        std::ifstream in(p, std::ios::binary);
        corpus_file f;
        f.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        f.deflated = deflate_raw(f.data, 13);
        size_t before = sequence.size();
        entry_encoder_start(encoder.get(), (uint32_t)f.data.size(), byte_sink{append_to, &sequence});
        entry_encoder_feed(encoder.get(), f.data.data(), f.data.size());
        entry_encoder_finish(encoder.get());
        ours += sequence.size() - before;
        theirs += f.deflated.size();
        total += f.data.size();
        files.push_back(std::move(f));
    }
    bytes blocks;
    auto writer = std::make_unique<block_writer>();
    block_writer_start(writer.get(), byte_sink{append_to, &blocks}, nullptr, 0);
    block_writer_put(writer.get(), sequence.data(), sequence.size());
    block_writer_finish(writer.get());

    fs::path folder = fs::temp_directory_path() / ("quillmere-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::string archive_path = (folder / "archive.bin").string();
    std::string output_path = (folder / "out.bin").string();
    {
        std::ofstream out(archive_path, std::ios::binary);
        out.write(reinterpret_cast<const char *>(blocks.data()), (std::streamsize)blocks.size());
    }

    auto open_archive = [&] {
        assign_file(&archive_file, archive_path.c_str());
        open_mode = 0;
        open_existing(&archive_file, 1);
        take_status();
        reset_input_stream();
    };

    // Once through with the output written, to check every file.
    open_archive();
    skip_output = 0;
    for (auto &f : files) {
        assign_file(&output_file, output_path.c_str());
        create_file(&output_file, 1);
        decode_entry((int32_t)f.data.size());
        flush_output();
        close_file(&output_file);
        std::ifstream in(output_path, std::ios::binary);
        bytes got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (got != f.data) {
            std::fprintf(stderr, "decoded data differs\n");
            return 1;
        }
    }
    close_file(&archive_file);
    take_status();

    bytes inflated(total);
    z_stream z{};
    inflateInit2(&z, -13);
    double best_ours = 1e30, best_zlib = 1e30;
    for (int round = 0; round < rounds; round++) {
        open_archive();
        skip_output = 1;
        double start = cpu_seconds();
        for (auto &f : files)
            decode_entry((int32_t)f.data.size());
        best_ours = std::min(best_ours, cpu_seconds() - start);
        close_file(&archive_file);
        take_status();

        start = cpu_seconds();
        size_t at = 0;
        for (auto &f : files) {
            inflateReset(&z);
            z.next_in = f.deflated.data();
            z.avail_in = (uInt)f.deflated.size();
            z.next_out = inflated.data() + at;
            z.avail_out = (uInt)f.data.size();
            if (inflate(&z, Z_FINISH) != Z_STREAM_END) {
                std::fprintf(stderr, "inflate failed\n");
                return 1;
            }
            at += f.data.size();
        }
        best_zlib = std::min(best_zlib, cpu_seconds() - start);
    }
    inflateEnd(&z);
    size_t at = 0;
    for (auto &f : files) {
        if (!std::equal(f.data.begin(), f.data.end(), inflated.begin() + (long)at)) {
            std::fprintf(stderr, "inflated data differs\n");
            return 1;
        }
        at += f.data.size();
    }
    fs::remove_all(folder);

    double ours_rate = total / best_ours / 1e6, zlib_rate = total / best_zlib / 1e6;
    std::printf("corpus: %zu files, %zu bytes\n", files.size(), total);
    std::printf("coded size: ours %zu, zlib -13 level 9 %zu (ours / zlib %.3f)\n", ours, theirs,
                (double)ours / (double)theirs);
    std::printf("decode: ours %.1f MB/s, zlib inflate %.1f MB/s, ratio %.3f\n", ours_rate, zlib_rate,
                ours_rate / zlib_rate);
    return 0;
}
