// The file-access component over the POSIX backend: the pending-status rule, the record
// states and the name mapping.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include "fileio/file_record.h"
#include "fileio/native_name.h"
#include "tests/native/temp_folder.h"

namespace {

struct file_record_test : ::testing::Test {
    temp_folder dir;
    file_record file{};
    void SetUp() override
    {
        open_mode = 2;
        take_status();
    }
    void TearDown() override
    {
        if (file.state >= state_open_read)
            close_file(&file);
        take_status();
    }
    void open_named(const std::string &name, uint8_t mode)
    {
        assign_file(&file, name.c_str());
        open_mode = mode;
        open_existing(&file, 1);
    }
};

TEST_F(file_record_test, status_is_kept_until_taken_and_cleared_by_taking)
{
    file_record never{};
    close_file(&never);                 // 103
    std::string p = dir.write("a", {1, 2, 3});
    open_named(p, 0);                   // succeeds, leaves the status alone
    EXPECT_EQ(file.state, state_open_read);
    EXPECT_EQ(take_status(), (uint32_t)status_not_open);
    EXPECT_EQ(take_status(), 0u);
}

TEST_F(file_record_test, a_later_failure_replaces_an_earlier_one)
{
    file_record never{};
    close_file(&never);                 // 103
    erase_file(&never);                 // 102
    EXPECT_EQ(take_status(), (uint32_t)status_not_assigned);
}

TEST_F(file_record_test, short_read_with_and_without_count)
{
    open_named(dir.write("a", {1, 2, 3}), 0);
    uint8_t buffer[8] = {};
    uint32_t count = 99;
    EXPECT_EQ(read_block(&file, buffer, 8, &count), 3u);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(buffer[2], 3);
    EXPECT_EQ(take_status(), 0u);
    EXPECT_EQ(read_block(&file, buffer, 8, &count), 0u);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(take_status(), 0u);
    EXPECT_EQ(read_block(&file, buffer, 1, nullptr), 0u);
    EXPECT_EQ(take_status(), (uint32_t)status_short_read);
}

TEST_F(file_record_test, write_on_a_read_only_record_reports_not_open_and_writes_nothing)
{
    std::string p = dir.write("a", {1, 2, 3});
    open_named(p, 0);
    uint8_t byte = 9;
    EXPECT_EQ(write_block(&file, &byte, 1, nullptr), 0u);
    EXPECT_EQ(take_status(), (uint32_t)status_not_open);
    EXPECT_EQ(dir.read("a"), (bytes{1, 2, 3}));
}

TEST_F(file_record_test, operations_on_records_that_are_not_open)
{
    file_record never{};
    struct {
        const char *what;
        void (*call)(file_record *);
        uint32_t status;
    } cases[] = {
        {"close unassigned", [](file_record *f) { close_file(f); }, status_not_open},
        {"erase unassigned", [](file_record *f) { erase_file(f); }, status_not_assigned},
        {"open unassigned", [](file_record *f) { open_existing(f, 1); }, status_not_assigned},
        {"create unassigned", [](file_record *f) { create_file(f, 1); }, status_not_assigned},
        {"seek unassigned", [](file_record *f) { seek_record(f, 4); }, status_not_open},
    };
    for (auto &c : cases) {
        never = file_record{};
        c.call(&never);
        EXPECT_EQ(take_status(), c.status) << c.what;
        EXPECT_EQ(never.state, state_unassigned) << c.what;
    }
    assign_file(&never, dir.at("x").c_str());
    EXPECT_EQ(file_size(&never), -1);
    EXPECT_EQ(take_status(), (uint32_t)status_not_open);
    EXPECT_TRUE(at_end(&never));
    EXPECT_EQ(take_status(), (uint32_t)status_not_open);
}

TEST_F(file_record_test, closing_twice_reports_not_open)
{
    open_named(dir.write("a", {1}), 0);
    close_file(&file);
    EXPECT_EQ(take_status(), 0u);
    close_file(&file);
    EXPECT_EQ(take_status(), (uint32_t)status_not_open);
    EXPECT_EQ(file.state, state_closed);
}

TEST_F(file_record_test, open_mode_above_two_opens_for_reading_and_writing)
{
    open_named(dir.write("a", {1, 2}), 7);
    EXPECT_EQ(take_status(), 0u);
    EXPECT_EQ(file.state, state_open_read_write);
    uint8_t byte = 5;
    EXPECT_EQ(write_block(&file, &byte, 1, nullptr), 1u);
    EXPECT_EQ(take_status(), 0u);
}

TEST_F(file_record_test, failed_open_leaves_the_record_closed_with_the_platform_error)
{
    open_named(dir.at("missing"), 0);
    EXPECT_EQ(file.state, state_closed);
    EXPECT_NE(take_status(), 0u);
}

TEST_F(file_record_test, size_position_and_end)
{
    open_named(dir.write("a", bytes(10, 7)), 0);
    EXPECT_EQ(file_size(&file), 10);
    EXPECT_FALSE(at_end(&file));
    seek_record(&file, 10);
    EXPECT_TRUE(at_end(&file));
    EXPECT_EQ(take_status(), 0u);
}

TEST_F(file_record_test, create_replaces_an_existing_file_with_an_empty_one)
{
    std::string p = dir.write("a", bytes(100, 1));
    assign_file(&file, p.c_str());
    create_file(&file, 1);
    EXPECT_EQ(file.state, state_open_read_write);
    EXPECT_EQ(file_size(&file), 0);
    close_file(&file);
    erase_file(&file);
    EXPECT_EQ(take_status(), 0u);
    EXPECT_FALSE(dir.exists("a"));
}

TEST_F(file_record_test, a_long_name_is_cut_to_259_bytes)
{
    std::string name = dir.path() + "/" + std::string(300 - dir.path().size() - 1, 'n');
    ASSERT_EQ(name.size(), 300u);
    assign_file(&file, name.c_str());
    EXPECT_EQ(std::string(file.name), name.substr(0, 259));
    create_file(&file, 1);
    EXPECT_EQ(take_status(), 0u);
    close_file(&file);
    struct stat st;
    EXPECT_EQ(stat(name.substr(0, 259).c_str(), &st), 0);
}

TEST_F(file_record_test, folder_operations)
{
    std::string sub = dir.at("sub");
    make_folder(sub.c_str());
    EXPECT_EQ(take_status(), 0u);
    make_folder(sub.c_str());
    EXPECT_NE(take_status(), 0u);
    uint32_t attributes = 0;
    EXPECT_EQ(platform_probe(sub.c_str(), &attributes), 1);
    EXPECT_EQ(attributes & attribute_folder, attribute_folder);
    EXPECT_EQ(platform_probe(dir.at("none").c_str(), &attributes), 0);
    EXPECT_EQ(platform_probe("", &attributes), 0);
}

TEST(native_name_test, maps_code_page_932_with_backslashes_to_utf8_with_slashes)
{
    char out[64];
    // 表 is 95 5C: its trail byte is not a separator.
    ASSERT_EQ(native_name("a\\\x95\x5C\\b", out, sizeof out), 0);
    EXPECT_STREQ(out, "a/\xE8\xA1\xA8/b");
    EXPECT_NE(native_name("\x81", out, sizeof out), 0); // a lone lead byte has no UTF-8 form
}

TEST(char_next_test, steps_over_double_byte_characters)
{
    const char *text = "\x95\x5C" "a\x81";
    EXPECT_EQ(platform_char_next(text), text + 2);
    EXPECT_EQ(platform_char_next(text + 2), text + 3);
    EXPECT_EQ(platform_char_next(text + 3), text + 4); // a lead byte before the NUL is one character
    EXPECT_EQ(platform_char_next(text + 4), text + 4);
}

} // namespace
