// The archive writer against zlib, per folder of a corpus and in total, in one run: the
// coded size of every file at the default level and at the best, against zlib level 9
// raw deflate with windowBits 13 (the same 8 KiB window) and 15; the time to code them
// against zlib level 9's; the time our decoder takes over them (through the real archive
// stream, blocks, checks and all) against zlib's inflate; and the two stubs' sizes.
// Times are the best of several interleaved rounds. Prints a markdown table.
//
//   corpus_bench [CORPUS_FOLDER [ROUNDS]]    (default: the corpus the build names, 3)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
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
typedef std::chrono::steady_clock bench_clock;

namespace {

void append_to(void *context, const uint8_t *data, size_t count)
{
    auto *out = static_cast<bytes *>(context);
    out->insert(out->end(), data, data + count);
}

void count_into(void *context, const uint8_t *, size_t count)
{
    *static_cast<size_t *>(context) += count;
}

double seconds_since(bench_clock::time_point start)
{
    return std::chrono::duration<double>(bench_clock::now() - start).count();
}

struct folder_figures {
    std::vector<bytes> files;
    size_t size = 0;
    size_t coded_default = 0, coded_best = 0, zlib13 = 0, zlib15 = 0;
    double pack_default = 1e30, pack_best = 1e30, pack_zlib13 = 1e30, pack_zlib15 = 1e30;
    double decode_ours = 1e30, decode_zlib = 1e30;
    std::string archive_path;
    std::vector<bytes> deflated; // windowBits 13, for the inflate rounds
};


// Codes every file at level into sink, fed in pieces as the archive writer reads them.
void encode_all(entry_encoder *encoder, const std::vector<bytes> &files, int level, byte_sink sink)
{
    const size_t piece = 65536;
    for (const bytes &f : files) {
        entry_encoder_start_level(encoder, (uint32_t)f.size(), level, sink);
        for (size_t at = 0; at < f.size(); at += piece)
            entry_encoder_feed(encoder, f.data() + at, std::min(piece, f.size() - at));
        entry_encoder_finish(encoder);
    }
}

size_t deflate_all(const std::vector<bytes> &files, int window_bits)
{
    size_t total = 0;
    for (const bytes &f : files)
        total += deflate_raw(f, window_bits).size();
    return total;
}

void open_archive(const std::string &path)
{
    assign_file(&archive_file, path.c_str());
    open_mode = 0;
    open_existing(&archive_file, 1);
    take_status();
    reset_input_stream();
}

void close_archive()
{
    close_file(&archive_file);
    take_status();
}

// The folder's files coded at the default level as one entry sequence in blocks.
std::string write_archive(entry_encoder *encoder, const std::vector<bytes> &files, const fs::path &path)
{
    bytes sequence, blocks;
    encode_all(encoder, files, default_level, byte_sink{append_to, &sequence});
    auto writer = std::make_unique<block_writer>();
    block_writer_start(writer.get(), byte_sink{append_to, &blocks}, nullptr, 0);
    block_writer_put(writer.get(), sequence.data(), sequence.size());
    block_writer_finish(writer.get());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(blocks.data()), (std::streamsize)blocks.size());
    return path.string();
}

// Decodes the archive once with the output written and compares every file.
bool decodes_back(const folder_figures &f, const std::string &output_path)
{
    open_archive(f.archive_path);
    skip_output = 0;
    for (const bytes &data : f.files) {
        assign_file(&output_file, output_path.c_str());
        create_file(&output_file, 1);
        decode_entry((int32_t)data.size());
        flush_output();
        close_file(&output_file);
        std::ifstream in(output_path, std::ios::binary);
        bytes got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (got != data)
            return false;
    }
    close_archive();
    return true;
}

double time_decode(const folder_figures &f)
{
    open_archive(f.archive_path);
    skip_output = 1;
    auto start = bench_clock::now();
    for (const bytes &data : f.files)
        decode_entry((int32_t)data.size());
    double t = seconds_since(start);
    close_archive();
    return t;
}

double time_inflate(const folder_figures &f, bytes &into)
{
    z_stream z{};
    inflateInit2(&z, -13);
    auto start = bench_clock::now();
    for (size_t i = 0; i < f.files.size(); i++) {
        inflateReset(&z);
        z.next_in = const_cast<Bytef *>(f.deflated[i].data());
        z.avail_in = (uInt)f.deflated[i].size();
        z.next_out = into.data();
        z.avail_out = (uInt)into.size();
        if (inflate(&z, Z_FINISH) != Z_STREAM_END || z.total_out != f.files[i].size()) {
            std::fprintf(stderr, "inflate failed\n");
            std::exit(1);
        }
    }
    double t = seconds_since(start);
    inflateEnd(&z);
    return t;
}

long stub_size(const fs::path &bin, const char *name)
{
    std::ifstream in(bin / name);
    long size = -1;
    in >> size;
    return in ? size : -1;
}

void print_row(const char *name, const folder_figures &f)
{
    std::printf("| %s | %zu | %zu | %.3f | %.3f | %.3f | %.3f | %.2f | %.2f | %.2f | %.2f |\n", name,
                f.files.size(), f.size, (double)f.coded_default / (double)f.zlib13,
                (double)f.coded_best / (double)f.zlib13, (double)f.coded_default / (double)f.zlib15,
                (double)f.coded_best / (double)f.zlib15, f.pack_default / f.pack_zlib13,
                f.pack_default / f.pack_zlib15, f.pack_best / f.pack_zlib13, f.decode_ours / f.decode_zlib);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s [CORPUS_FOLDER [ROUNDS]]\n", argv[0]);
        return 2;
    }
    int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    fs::path corpus = argc > 1 ? argv[1] : QM_BENCH_CORPUS;
    std::map<std::string, folder_figures> folders;
    std::vector<fs::path> paths;
    for (auto &e : fs::recursive_directory_iterator(corpus, fs::directory_options::follow_directory_symlink))
        if (e.is_regular_file() && e.path().parent_path() != corpus)
            paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    if (paths.empty()) {
        std::fprintf(stderr, "no files in the folders of %s\n", corpus.c_str());
        return 2;
    }
    for (auto &p : paths) {
        folder_figures &f = folders[fs::relative(p, corpus).begin()->string()];
        std::ifstream in(p, std::ios::binary);
        f.files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        f.size += f.files.back().size();
    }

    auto encoder = std::make_unique<entry_encoder>();
    fs::path scratch = fs::temp_directory_path() / ("quillmere-pack-bench-" + std::to_string(getpid()));
    fs::create_directories(scratch);
    size_t largest = 0;
    for (auto &[name, f] : folders) {
        for (const bytes &data : f.files) {
            f.deflated.push_back(deflate_raw(data, 13));
            f.zlib13 += f.deflated.back().size();
            f.zlib15 += deflate_raw(data, 15).size();
            largest = std::max(largest, data.size());
        }
        encode_all(encoder.get(), f.files, default_level, byte_sink{count_into, &f.coded_default});
        encode_all(encoder.get(), f.files, best_level, byte_sink{count_into, &f.coded_best});
        f.archive_path = write_archive(encoder.get(), f.files, scratch / (name + ".bin"));
        if (!decodes_back(f, (scratch / "out.bin").string())) {
            std::fprintf(stderr, "%s: decoded data differs\n", name.c_str());
            return 1;
        }
    }

    // Rounds, each method in turn per folder, so that a slow spell of the machine hits all.
    bytes inflated(largest);
    for (int round = 0; round < rounds; round++) {
        for (auto &[name, f] : folders) {
            size_t sink = 0;
            auto start = bench_clock::now();
            encode_all(encoder.get(), f.files, default_level, byte_sink{count_into, &sink});
            f.pack_default = std::min(f.pack_default, seconds_since(start));
            start = bench_clock::now();
            deflate_all(f.files, 13);
            f.pack_zlib13 = std::min(f.pack_zlib13, seconds_since(start));
            start = bench_clock::now();
            deflate_all(f.files, 15);
            f.pack_zlib15 = std::min(f.pack_zlib15, seconds_since(start));
            if (round == 0 || round == rounds - 1) {
                start = bench_clock::now();
                encode_all(encoder.get(), f.files, best_level, byte_sink{count_into, &sink});
                f.pack_best = std::min(f.pack_best, seconds_since(start));
            }
            f.decode_ours = std::min(f.decode_ours, time_decode(f));
            f.decode_zlib = std::min(f.decode_zlib, time_inflate(f, inflated));
        }
    }
    fs::remove_all(scratch);

    folder_figures total;
    total.pack_default = total.pack_best = total.pack_zlib13 = total.pack_zlib15 = 0;
    total.decode_ours = total.decode_zlib = 0;
    size_t files = 0;
    for (auto &[name, f] : folders) {
        files += f.files.size();
        total.size += f.size;
        total.coded_default += f.coded_default;
        total.coded_best += f.coded_best;
        total.zlib13 += f.zlib13;
        total.zlib15 += f.zlib15;
        total.pack_default += f.pack_default;
        total.pack_best += f.pack_best;
        total.pack_zlib13 += f.pack_zlib13;
        total.pack_zlib15 += f.pack_zlib15;
        total.decode_ours += f.decode_ours;
        total.decode_zlib += f.decode_zlib;
    }

    std::printf("Coded size and time as ratios to zlib level 9 raw deflate (wb13: windowBits 13, "
                "the same 8 KiB window; wb15: windowBits 15), default level %d and best level %d, "
                "best of %d rounds.\n\n",
                default_level, best_level, rounds);
    std::printf("| folder | files | bytes | size default/wb13 | size best/wb13 | size default/wb15 | "
                "size best/wb15 | pack default/wb13 | pack default/wb15 | pack best/wb13 | "
                "decode/inflate |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (auto &[name, f] : folders)
        print_row(name.c_str(), f);
    total.files.resize(files);
    print_row("**total**", total);

    fs::path bin = fs::absolute(argv[0]).parent_path();
    std::printf("\nTotal coded bytes: default %zu, best %zu, zlib wb13 %zu, zlib wb15 %zu.\n",
                total.coded_default, total.coded_best, total.zlib13, total.zlib15);
    std::printf("Stubs (unpadded): stub32.exe %ld bytes, stub64.exe %ld bytes.\n",
                stub_size(bin, "stub32.exe.size"), stub_size(bin, "stub64.exe.size"));
    return 0;
}
