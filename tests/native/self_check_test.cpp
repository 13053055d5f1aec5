// The start-up check of the program's own file and the header reading, through the
// recording host.
#include <gtest/gtest.h>
#include <cstring>
#include "archive/archive_file.h"
#include "archive/header.h"
#include "fileio/platform_faults.h"
#include "startup/host.h"
#include "startup/self_check.h"
#include "tests/native/temp_folder.h"
#include "tests/native/test_host.h"

namespace {

const char read_failure[] = "ファイルの読み込みに失敗しました。";

// The header of an archive whose recorded size is the whole file's.
bytes header(const std::string &message, const std::string &run_after, uint8_t flag, uint16_t word,
             int32_t size_adjust = 0, size_t extra = 0)
{
    bytes h(4, 0);
    h.insert(h.end(), message.begin(), message.end());
    h.push_back(0);
    h.insert(h.end(), run_after.begin(), run_after.end());
    h.push_back(0);
    h.push_back(flag);
    if (flag != 0) {
        h.push_back((uint8_t)word);
        h.push_back((uint8_t)(word >> 8));
    }
    h.insert(h.end(), extra, 0xAA);
    uint32_t size = (uint32_t)(archive_offset + h.size() + size_adjust);
    for (int i = 0; i < 4; i++)
        h[i] = (uint8_t)(size >> (8 * i));
    return h;
}

struct self_check_test : ::testing::Test {
    temp_folder dir;
    enum check_result result = no_archive;

    void SetUp() override { reset_test_host(); }
    void TearDown() override
    {
        close_file(&archive_file);
        take_status();
        archive_file = file_record{};
    }
    // Runs the self-check on a file of these bytes; the exit code, or -1 when it returned.
    int check(const bytes &file)
    {
        static std::string path;
        static self_check_test *self;
        path = dir.write("program.exe", file);
        self = this;
        return run_until_stop([](void *) { self->result = self_check(path.c_str()); }, nullptr);
    }
};

TEST_F(self_check_test, a_file_of_the_stubs_length_has_no_archive)
{
    EXPECT_EQ(check(bytes(archive_offset, 0)), -1);
    EXPECT_EQ(result, no_archive);
    EXPECT_TRUE(host_record.extract_disabled);
    EXPECT_FALSE(host_record.message_text_set);
    EXPECT_FALSE(host_record.password_row_hidden);
    EXPECT_EQ(host_record.boxes, 0);
}

TEST_F(self_check_test, a_file_too_short_for_the_recorded_size_is_a_read_failure)
{
    for (size_t extra = 1; extra <= 3; extra++) {
        reset_test_host();
        EXPECT_EQ(check(bytes(archive_offset + extra, 0)), 1) << extra;
        ASSERT_EQ(host_record.boxes, 1);
        EXPECT_STREQ(host_record.box[0].text, read_failure);
        EXPECT_EQ(host_record.box[0].owner, owner_main_window);
        EXPECT_EQ(host_record.box[0].style, 0x10u);
        TearDown();
    }
}

TEST_F(self_check_test, a_size_other_than_the_recorded_one_is_refused_without_owner)
{
    struct {
        int32_t adjust;
        const char *text;
    } cases[] = {
        {+1, "ファイルのサイズが元々のファイルより小さいです。解凍できません。"},
        {-1, "ファイルのサイズが元々のファイルより大きいです。このファイルはウイルスに感染している可能性があります。解凍できません。"},
    };
    for (auto &c : cases) {
        reset_test_host();
        EXPECT_EQ(check(stub_with(header("hello", "", 0, 0, c.adjust))), 0) << c.adjust;
        ASSERT_EQ(host_record.boxes, 1);
        EXPECT_STREQ(host_record.box[0].text, c.text);
        EXPECT_EQ(host_record.box[0].owner, owner_none);
        EXPECT_EQ(host_record.box[0].style, 0x10u);
        EXPECT_FALSE(host_record.message_text_set);
        EXPECT_EQ(host_record.bitmaps_released, 1);
        EXPECT_EQ(archive_file.state, state_closed);
        TearDown();
    }
}

TEST_F(self_check_test, the_texts_are_stored_as_code_page_932)
{
    // 小 is 8F AC in code page 932; the first bytes of the smaller-file message.
    const char *text = "ファイル";
    EXPECT_EQ(std::memcmp(text, "\x83\x74\x83\x40\x83\x43\x83\x8B", 9), 0);
}

TEST_F(self_check_test, header_without_password_hides_the_password_row)
{
    EXPECT_EQ(check(stub_with(header("\x83\x65\x83\x58\x83\x67", "setup.exe", 0, 0))), -1);
    EXPECT_EQ(result, archive_ready);
    EXPECT_STREQ(host_record.message_text, "\x83\x65\x83\x58\x83\x67");
    EXPECT_STREQ(run_after, "setup.exe");
    EXPECT_EQ(password_flag, 0);
    EXPECT_TRUE(host_record.password_row_hidden);
    EXPECT_FALSE(host_record.extract_disabled);
    EXPECT_EQ(host_record.boxes, 0);
}

TEST_F(self_check_test, the_check_word_is_freed_of_the_flag_byte)
{
    EXPECT_EQ(check(stub_with(header("", "", 0x5A, 0x1234))), -1);
    EXPECT_EQ(password_flag, 1);
    EXPECT_EQ(password_check, 0x1234 ^ 0x5A5A);
    EXPECT_FALSE(host_record.password_row_hidden);
    EXPECT_STREQ(host_record.message_text, "");
}

TEST_F(self_check_test, the_smallest_header_is_seven_bytes)
{
    bytes h = header("", "", 0, 0);
    EXPECT_EQ(h.size(), 7u);
    EXPECT_EQ(check(stub_with(h)), -1);
    EXPECT_EQ(result, archive_ready);
}

TEST_F(self_check_test, a_header_string_without_its_end_is_a_read_failure)
{
    bytes h = {0, 0, 0, 0, 'a', 'b', 'c'};
    uint32_t size = (uint32_t)(archive_offset + h.size());
    for (int i = 0; i < 4; i++)
        h[i] = (uint8_t)(size >> (8 * i));
    EXPECT_EQ(check(stub_with(h)), 1);
    ASSERT_EQ(host_record.boxes, 1);
    EXPECT_STREQ(host_record.box[0].text, read_failure);
}

TEST_F(self_check_test, password_fields_cut_short_are_a_read_failure)
{
    bytes h = header("", "", 0x01, 0x0000);
    h.pop_back();
    uint32_t size = (uint32_t)(archive_offset + h.size());
    for (int i = 0; i < 4; i++)
        h[i] = (uint8_t)(size >> (8 * i));
    EXPECT_EQ(check(stub_with(h)), 1);
    EXPECT_STREQ(host_record.box[0].text, read_failure);
}

TEST_F(self_check_test, a_program_name_longer_than_its_buffer_is_damage)
{
    EXPECT_EQ(check(stub_with(header("", std::string(run_after_limit + 1, 'x'), 0, 0))), 1);
    EXPECT_STREQ(host_record.box[0].text, "ファイルが壊れています。");
}

TEST_F(self_check_test, a_missing_own_file_is_a_read_failure)
{
    static std::string path = dir.at("absent.exe");
    EXPECT_EQ(run_until_stop([](void *) { self_check(path.c_str()); }, nullptr), 1);
    EXPECT_STREQ(host_record.box[0].text, read_failure);
    EXPECT_EQ(host_record.bitmaps_released, 1);
}

// A size query that fails is a read failure, at each of the three places that ask;
// neither a missing archive nor a size mismatch.
TEST_F(self_check_test, a_failed_size_query_is_a_read_failure)
{
    static std::vector<uint32_t> size_queries;
    size_queries.clear();
    platform_operations = 0;
    platform_observe = [](enum platform_operation kind, platform_handle, const char *) {
        if (kind == operation_size)
            size_queries.push_back(platform_operations + 1);
    };
    bytes file = stub_with(header("hello", "", 0, 0));
    EXPECT_EQ(check(file), -1);
    platform_observe = nullptr;
    ASSERT_EQ(size_queries.size(), 3u);
    for (uint32_t at : size_queries) {
        TearDown();
        reset_test_host();
        platform_operations = 0;
        platform_fail_at = at;
        EXPECT_EQ(check(file), 1) << at;
        platform_fail_at = 0;
        ASSERT_EQ(host_record.boxes, 1);
        EXPECT_STREQ(host_record.box[0].text, read_failure);
        EXPECT_FALSE(host_record.message_text_set);
    }
}

} // namespace
