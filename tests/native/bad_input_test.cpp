// The catalogue of bad input (docs/bad-input.md): each kind of damage, what the program
// does with it. One table per stage that notices the damage.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "archive/archive_file.h"
#include "archive/header.h"
#include "startup/host.h"
#include "startup/self_check.h"
#include "tests/native/temp_folder.h"
#include "tests/native/test_host.h"

namespace {

const char read_failure[] = "ファイルの読み込みに失敗しました。";
const char damaged[] = "ファイルが壊れています。";
const char smaller[] = "ファイルのサイズが元々のファイルより小さいです。解凍できません。";
const char larger[] = "ファイルのサイズが元々のファイルより大きいです。"
                      "このファイルはウイルスに感染している可能性があります。解凍できません。";

void put_u32(bytes &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = (uint8_t)(v >> (8 * i));
}

// Archive bytes whose recorded size is the whole file's.
bytes sized(bytes archive)
{
    put_u32(archive, 0, (uint32_t)(archive_offset + archive.size()));
    return archive;
}

bytes header_of(const std::string &message, const std::string &run_after)
{
    bytes h(4, 0);
    h.insert(h.end(), message.begin(), message.end());
    h.push_back(0);
    h.insert(h.end(), run_after.begin(), run_after.end());
    h.push_back(0);
    h.push_back(0);
    return sized(h);
}

struct outcome {
    int code;         // exit code, -1 when the check returned
    const char *text; // the one message, or nullptr for none
    int owner;
};

struct bad_input_test : ::testing::Test {
    temp_folder dir;
    void TearDown() override
    {
        close_file(&archive_file);
        take_status();
        archive_file = file_record{};
    }
    // The self-check of a program file with these archive bytes after the stub.
    outcome check(const bytes &archive)
    {
        static std::string path;
        reset_test_host();
        TearDown();
        path = dir.write("program.exe", stub_with(archive));
        int code = run_until_stop([](void *) { self_check(path.c_str()); }, nullptr);
        return {code, host_record.boxes ? host_record.box[0].text : nullptr,
                host_record.boxes ? host_record.box[0].owner : -1};
    }
};

TEST_F(bad_input_test, damaged_headers)
{
    bytes no_end = {0, 0, 0, 0, 'h', 'i'};
    bytes run_after_no_end = {0, 0, 0, 0, 'h', 'i', 0, 'r', 'u', 'n'};
    struct {
        const char *what;
        bytes archive;
        bool keep_size; // the recorded size as written, not the file's
        outcome want;
    } cases[] = {
        {"recorded size 2^31 - 1", header_of("", ""), true, {0, smaller, owner_none}},
        {"recorded size 2^31 (negative)", header_of("", ""), true, {0, larger, owner_none}},
        {"recorded size 2^32 - 1 (negative)", header_of("", ""), true, {0, larger, owner_none}},
        {"recorded size 0", header_of("", ""), true, {0, larger, owner_none}},
        {"message without its end", sized(no_end), false, {1, read_failure, owner_main_window}},
        {"program name without its end", sized(run_after_no_end), false, {1, read_failure, owner_main_window}},
        {"message longer than its buffer", header_of(std::string(message_text_limit + 1, 'm'), ""), false,
         {1, damaged, owner_main_window}},
        {"program name longer than its buffer", header_of("", std::string(run_after_limit + 1, 'r')), false,
         {1, damaged, owner_main_window}},
        {"nothing but the recorded size", sized(bytes(4, 0)), false, {1, read_failure, owner_main_window}},
    };
    const uint32_t recorded[] = {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0};
    int sizes = 0;
    for (auto &c : cases) {
        bytes archive = c.archive;
        if (c.keep_size)
            put_u32(archive, 0, recorded[sizes++]);
        outcome got = check(archive);
        EXPECT_EQ(got.code, c.want.code) << c.what;
        ASSERT_NE(got.text, nullptr) << c.what;
        EXPECT_STREQ(got.text, c.want.text) << c.what;
        EXPECT_EQ(got.owner, c.want.owner) << c.what;
        if (c.want.owner == owner_none) {
            EXPECT_FALSE(host_record.message_text_set) << c.what; // refused before the header is read
        }
    }
}

TEST_F(bad_input_test, the_longest_texts_that_fit_are_read_whole)
{
    outcome got = check(header_of(std::string(message_text_limit, 'm'), std::string(run_after_limit, 'r')));
    EXPECT_EQ(got.code, -1);
    EXPECT_EQ(std::string(run_after).size(), (size_t)run_after_limit);
}

} // namespace
