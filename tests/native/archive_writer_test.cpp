// The archive writer: stored names, shared prefixes, and packs read back by the
// extraction run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include "archive/archive_file.h"
#include "archive/header.h"
#include "archive/input_stream.h"
#include "archive/password.h"
#include "extract/output_file.h"
#include "extract/run_extraction.h"
#include "startup/self_check.h"
#include "tests/native/temp_folder.h"
#include "tests/native/test_host.h"
#include "writer/archive_writer.h"

namespace {

TEST(archive_writer, a_shared_prefix_is_used_only_where_it_saves_bytes)
{
    struct {
        const char *previous, *name;
        bytes stored;
    } cases[] = {
        {"", "ab", {'a', 'b', 0}},
        {"ab\\cd", "abx", {'a', 'b', 'x', 0}},                  // two shared bytes save nothing
        {"abc\\d", "abc\\e", {0x2A, 0x02, 'e', 0}},
        {"abc", "abc\\.", {0x2A, 0x01, '\\', '.', 0}},
        {"abc\\d", "abc", {0x2A, 0x01, 0}},                     // the whole name shared
    };
    for (auto &c : cases) {
        uint8_t out[300];
        size_t n = shared_prefix_form(c.previous, c.name, out);
        EXPECT_EQ(bytes(out, out + n), c.stored) << c.previous << " / " << c.name;
    }
    // At most 257 bytes can be shared.
    std::string long_name(300, 'q');
    uint8_t out[310];
    size_t n = shared_prefix_form(long_name.c_str(), long_name.c_str(), out);
    EXPECT_EQ(n, 300u - 257u + 3u);
    EXPECT_EQ(out[1], 255);
}

TEST(archive_writer, name_parts_windows_cannot_hold_are_refused)
{
    const char *refused[] = {"a:b", "a*b", "a?b", "a\\b", "a|b", "a\"b", "a<b", "tab\tname",
                             "dot.", "blank ", "smile\xF0\x9F\x98\x80", ""};
    for (const char *part : refused) {
        char out[1024], why[200];
        EXPECT_EQ(stored_name_part(part, out, sizeof out, why, sizeof why), 1) << part;
    }
    char out[1024], why[200];
    ASSERT_EQ(stored_name_part(u8"表.txt", out, sizeof out, why, sizeof why), 0);
    EXPECT_STREQ(out, "\x95\x5C.txt");
}

struct pack_round_trip : ::testing::Test {
    temp_folder dir;
    void SetUp() override { reset_test_host(); }
    void TearDown() override
    {
        reset_file_records();
    }
    enum pack_result pack(const std::string &password = "")
    {
        dir.write("stub.exe", bytes(archive_offset, 0));
        std::string source = dir.at("src");
        const char *sources[] = {source.c_str()};
        pack_settings settings = {nullptr, "", "", nullptr, 0, nullptr, 0};
        std::string stub = dir.at("stub.exe");
        settings.stub_path = stub.c_str();
        if (!password.empty()) {
            settings.password = password.c_str();
            settings.password_length = (uint32_t)password.size();
        }
        char error[512] = "";
        std::string output = dir.at("a.exe");
        enum pack_result r = pack_archive(sources, 1, output.c_str(), &settings, error, sizeof error);
        EXPECT_EQ(r, pack_done) << error;
        return r;
    }
    int extract(const std::string &password = "")
    {
        static std::string path, destination, typed;
        path = dir.at("a.exe");
        destination = dir.at("out") + "\\";
        typed = password;
        mkdir(dir.at("out").c_str(), 0777);
        return run_program(path.c_str(), typed.c_str(), destination.c_str());
    }
};

TEST_F(pack_round_trip, every_folder_file_and_time_comes_back)
{
    // 表 ends in the byte 5C in code page 932; 空 stays empty.
    bytes large(200000);
    for (size_t i = 0; i < large.size(); i++)
        large[i] = (uint8_t)((i * 7) ^ (i >> 9));
    dir.write(u8"src/表/中.txt", {'a'});
    dir.write(u8"src/表/中2.txt", {});
    dir.write("src/large.bin", large);
    mkdir(dir.at(u8"src/空").c_str(), 0777);
    struct timespec times[2] = {{1300000000, 123456700}, {1400000000, 765432100}};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.at("src/large.bin").c_str(), times, 0), 0);
    for (const std::string &password : {std::string(), std::string("pass")}) {
        ASSERT_EQ(pack(password), pack_done);
        EXPECT_EQ(extract(password), -1) << host_record.box[0].text;
        struct stat st;
        ASSERT_EQ(stat(dir.at("out/large.bin").c_str(), &st), 0);
        EXPECT_EQ(st.st_atim.tv_sec, 1300000000);
        EXPECT_EQ(st.st_atim.tv_nsec, 123456700);
        EXPECT_EQ(st.st_mtim.tv_sec, 1400000000);
        EXPECT_EQ(st.st_mtim.tv_nsec, 765432100);
        EXPECT_EQ(dir.read("out/large.bin"), large);
        EXPECT_EQ(dir.read(u8"out/表/中.txt"), bytes{'a'});
        EXPECT_TRUE(dir.exists(u8"out/表/中2.txt"));
        EXPECT_TRUE(dir.exists(u8"out/空"));
        EXPECT_EQ(host_record.boxes, 0);
        std::filesystem::remove_all(dir.at("out"));
        TearDown();
    }
}

TEST_F(pack_round_trip, an_empty_source_gives_an_archive_that_extracts_nothing)
{
    mkdir(dir.at("src").c_str(), 0777);
    ASSERT_EQ(pack(), pack_done);
    EXPECT_EQ(extract(), -1);
    EXPECT_EQ(host_record.boxes, 0);
}

} // namespace
