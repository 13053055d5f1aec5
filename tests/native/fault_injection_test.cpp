// Every file operation of a whole extraction made to fail in turn: for each N from 1 to
// the number of operations of a clean run, the N-th one fails and the run must stop as
// the stop table says, leave no half-written file, keep every file finished before the
// failure, and touch nothing outside the destination.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "archive/archive_file.h"
#include "archive/input_stream.h"
#include "archive/password.h"
#include "extract/output_file.h"
#include "extract/run_extraction.h"
#include "fileio/file_record.h"
#include "fileio/native_name.h"
#include "fileio/platform_faults.h"
#include "startup/host.h"
#include "startup/self_check.h"
#include "tests/native/archive_maker.h"
#include "tests/native/temp_folder.h"
#include "tests/native/test_host.h"

namespace fs = std::filesystem;

namespace {

const char read_failure[] = "ファイルの読み込みに失敗しました。";
const char write_failure[] = "ファイルの書き込みに失敗しました。";
const char folder_failure[] = "フォルダが作れませんでした:";

struct source_entry {
    std::string name; // code page 932, backslashes; a folder's ends in "\."
    bytes content;
    int64_t write_time; // Unix seconds
};

bytes pattern(size_t size, uint32_t seed)
{
    bytes b(size);
    uint32_t x = seed;
    for (size_t i = 0; i < size; i++) {
        x = x * 1103515245u + 12345u;
        // Runs of text with noise: copies and literals both.
        b[i] = (i / 97) % 3 == 0 ? (uint8_t)(x >> 24) : (uint8_t)("quillmere "[i % 10]);
    }
    return b;
}

// Twenty entries: nested folders, an empty folder, files above 40960 bytes, an empty
// file, a double-byte name, files whose folders have no entry of their own.
std::vector<source_entry> tree()
{
    return {
        {"docs\\.", {}, 0},
        {"docs\\manual\\.", {}, 0},
        {"docs\\manual\\ja\\.", {}, 0},
        {"empty\\.", {}, 0},
        {"src\\.", {}, 0},
        {"src\\lib\\.", {}, 0},
        {"readme.txt", pattern(500, 1), 1000000000},
        {"docs\\intro.txt", pattern(2000, 2), 1000000100},
        {"docs\\manual\\big.bin", pattern(100000, 3), 1000000200},
        {"docs\\manual\\ja\\\x95\x5C.txt", pattern(700, 4), 1000000300},
        {"docs\\manual\\ja\\window.bin", pattern(40961, 5), 1000000400},
        {"zero.dat", {}, 1000000500},
        {"src\\main.c", pattern(3000, 6), 1000000600},
        {"src\\lib\\exact.bin", pattern(40960, 7), 1000000700},
        {"src\\lib\\util.c", pattern(1500, 8), 1000000800},
        {"src\\lib\\util.h", pattern(300, 9), 1000000900},
        {"data\\a.csv", pattern(5000, 10), 1000001000},
        {"data\\b.csv", pattern(5001, 11), 1000001100},
        {"data\\deep\\x\\y\\z.txt", pattern(90000, 12), 1000001200},
        {"last.txt", pattern(10, 13), 1000001300},
    };
}

bytes pack(const std::vector<source_entry> &entries)
{
    std::vector<archive_entry> list;
    for (auto &e : entries) {
        archive_entry a;
        a.name = e.name;
        a.content = e.content;
        a.times[1] = a.times[2] = e.write_time ? filetime_of(e.write_time) : 0;
        list.push_back(a);
    }
    return stub_with(make_archive(list));
}

// What the backend saw of one operation.
struct traced {
    platform_operation kind;
    bool on_archive = false; // an operation on the program's own file
    bool on_output = false;  // an operation on the file being extracted
    bool existed = false;    // for a probe: the name was there
    std::string name;
};

std::vector<traced> trace;
std::string archive_path;

void observe(platform_operation kind, platform_handle handle, const char *name)
{
    traced t;
    t.kind = kind;
    if (name != nullptr) {
        t.name = name;
        t.on_archive = t.name == archive_path;
        t.on_output = !t.on_archive && (kind == operation_create || kind == operation_delete);
        char native[4096];
        struct stat st;
        t.existed = native_name(name, native, sizeof native) == 0 && lstat(native, &st) == 0;
    } else {
        // A close marks the record closed before the platform sees it; the handle stays.
        t.on_archive = archive_file.state != state_unassigned && handle == archive_file.handle;
        t.on_output = output_file.state != state_unassigned && handle == output_file.handle;
    }
    trace.push_back(t);
}

// The stop that the table prescribes for a failure of this operation.
struct expected_stop {
    int code;         // -1: the run goes on and completes
    std::string text; // the message
};

expected_stop stop_for(const traced &t)
{
    switch (t.kind) {
    case operation_make_folder:
        return {0, folder_failure + t.name};
    case operation_probe:
        // A failed probe finds nothing: where something was, the folder is made anew,
        // which fails; where nothing was, nothing changes.
        return t.existed ? expected_stop{0, folder_failure + t.name} : expected_stop{-1, ""};
    default:
        if (t.on_archive)
            return {1, read_failure};
        if (t.on_output)
            return {1, write_failure};
        return {99, "an operation on neither file"};
    }
}

// Everything below a folder: relative name -> size and modification time, or -1 for folders.
std::map<std::string, std::pair<int64_t, int64_t>> listing(const std::string &root, const std::string &skip = "")
{
    std::map<std::string, std::pair<int64_t, int64_t>> out;
    for (auto &e : fs::recursive_directory_iterator(root)) {
        std::string rel = fs::relative(e.path(), root).string();
        if (!skip.empty() && (rel == skip || rel.rfind(skip + "/", 0) == 0))
            continue;
        struct stat st;
        lstat(e.path().c_str(), &st);
        out[rel] = {S_ISDIR(st.st_mode) ? -1 : (int64_t)st.st_size, (int64_t)st.st_mtime};
    }
    return out;
}

int open_descriptors()
{
    int n = 0;
    for (auto &e : fs::directory_iterator("/proc/self/fd")) {
        (void)e;
        n++;
    }
    return n;
}

std::string utf8_path(const std::string &cp932)
{
    char native[4096];
    native_name(cp932.c_str(), native, sizeof native);
    return native;
}

struct fault_injection_test : ::testing::Test {
    temp_folder dir;
    std::string destination; // as the run is given it
    std::vector<source_entry> entries = tree();

    void SetUp() override
    {
        reset_test_host();
        archive_path = dir.write("program.exe", pack(entries));
        dir.write("outside.txt", {1, 2, 3});
        destination = dir.at("dest") + "\\";
    }
    void TearDown() override
    {
        platform_fail_at = 0;
        platform_observe = nullptr;
    }
    void reset_records()
    {
        reset_file_records();
        reset_test_host();
    }
    // One extraction into a fresh destination: the exit code, or -1 when it completed.
    int extract(uint32_t fail_at)
    {
        fs::remove_all(dir.at("dest"));
        fs::create_directory(dir.at("dest"));
        reset_records();
        trace.clear();
        platform_operations = 0;
        platform_fail_at = fail_at;
        platform_observe = observe;
        int code = run_program(archive_path.c_str(), nullptr, destination.c_str());
        platform_observe = nullptr;
        platform_fail_at = 0;
        return code;
    }
};

TEST_F(fault_injection_test, every_operation_of_a_run_fails_in_turn)
{
    const bytes archive = dir.read("program.exe");
    const auto outside = listing(dir.path(), "dest");
    std::set<std::string> known; // the files of the archive, as the destination shows them
    for (auto &e : entries)
        known.insert(fs::relative(utf8_path(destination + e.name), dir.at("dest")).string());
    const int descriptors = open_descriptors();

    ASSERT_EQ(extract(0), -1);
    ASSERT_EQ(host_record.boxes, 0);
    const std::vector<traced> clean = trace;
    const uint32_t operations = (uint32_t)clean.size();
    for (auto &e : entries) {
        if (e.name.size() >= 2 && e.name.substr(e.name.size() - 2) == "\\.")
            continue;
        std::string path = utf8_path(destination + e.name);
        EXPECT_EQ(dir.read(fs::relative(path, dir.path()).string()), e.content) << e.name;
        struct stat st;
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mtime, e.write_time) << e.name;
    }
    std::cout << "operations of a clean run: " << operations << "\n";
    RecordProperty("operations", (int)operations);

    std::map<platform_operation, int> kinds;
    for (uint32_t n = 1; n <= operations; n++) {
        SCOPED_TRACE("operation " + std::to_string(n));
        const int code = extract(n);
        ASSERT_GE(trace.size(), n);
        const traced failed = trace[n - 1];
        kinds[failed.kind]++;
        const expected_stop want = stop_for(failed);
        EXPECT_EQ(code, want.code) << "kind " << failed.kind << " " << failed.name;
        if (want.code >= 0) {
            ASSERT_EQ(host_record.boxes, 1);
            EXPECT_EQ(std::string(host_record.box[0].text), want.text) << "kind " << failed.kind;
            EXPECT_EQ(host_record.box[0].owner, owner_main_window);
            EXPECT_EQ(host_record.box[0].style, 0x10u);
            EXPECT_EQ(host_record.bitmaps_released, 1);
        } else {
            EXPECT_EQ(host_record.boxes, 0);
        }

        // Files finished before the failure: those whose close came before it.
        std::map<std::string, bool> finished;
        std::string open_name;
        for (uint32_t i = 0; i < n - 1; i++) {
            if (clean[i].kind == operation_create)
                open_name = clean[i].name;
            if (clean[i].kind == operation_close && clean[i].on_output)
                finished[open_name] = true;
        }
        // Every file in the destination is one of the archive's, complete; every one
        // finished before the failure is there; a completed run leaves all of them.
        for (auto &e : entries) {
            bool folder = e.name.size() >= 2 && e.name.substr(e.name.size() - 2) == "\\.";
            if (folder)
                continue;
            std::string full = destination + e.name;
            std::string rel = fs::relative(utf8_path(full), dir.path()).string();
            bool there = dir.exists(rel);
            if (finished.count(full) || code == -1) {
                EXPECT_TRUE(there) << e.name;
            }
            if (there) {
                EXPECT_EQ(dir.read(rel), e.content) << e.name;
                EXPECT_TRUE(finished.count(full) || code == -1) << "left behind: " << e.name;
            }
        }
        for (auto &[rel, info] : listing(dir.at("dest"))) {
            if (info.first >= 0) {
                EXPECT_TRUE(known.count(rel)) << "unknown file " << rel;
            }
        }
        EXPECT_EQ(listing(dir.path(), "dest"), outside);
        EXPECT_EQ(dir.read("program.exe"), archive);
        EXPECT_EQ(open_descriptors(), descriptors);
    }
    const char *names[] = {"open", "create", "read", "write", "seek", "position", "size",
                           "close", "set times", "make folder", "delete", "change folder", "probe"};
    for (auto &[kind, count] : kinds)
        std::cout << "  " << names[kind] << ": " << count << "\n";
}

} // namespace
