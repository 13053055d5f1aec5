// The fault switch of the POSIX backend: exactly the operation with the chosen number
// fails, once, and the status rule carries its code to the caller.
#include <gtest/gtest.h>
#include "fileio/file_record.h"
#include "fileio/platform_faults.h"
#include "tests/native/temp_folder.h"

namespace {

struct platform_faults_test : ::testing::Test {
    temp_folder dir;
    void SetUp() override
    {
        take_status();
        platform_operations = 0;
    }
    void TearDown() override { platform_fail_at = 0; }
};

TEST_F(platform_faults_test, only_the_chosen_operation_fails_and_only_once)
{
    std::string path = dir.write("a", {1, 2, 3, 4});
    file_record file{};
    assign_file(&file, path.c_str());
    open_mode = 0;
    platform_fail_at = 3;               // open, read, then the failing read
    open_existing(&file, 1);
    uint8_t buffer[2];
    EXPECT_EQ(read_block(&file, buffer, 2, 0), 2u);
    EXPECT_EQ(take_status(), 0u);
    EXPECT_EQ(read_block(&file, buffer, 2, 0), 0u);
    EXPECT_NE(take_status(), 0u);
    seek_record(&file, 0);
    EXPECT_EQ(read_block(&file, buffer, 2, 0), 2u);
    EXPECT_EQ(take_status(), 0u);
    EXPECT_EQ(platform_operations, 5u);
    close_file(&file);
    take_status();
}

TEST_F(platform_faults_test, a_failed_probe_finds_nothing_and_a_failed_close_still_closes)
{
    uint32_t attributes = 0;
    platform_fail_at = 1;
    EXPECT_EQ(platform_probe(dir.path().c_str(), &attributes), 0);
    EXPECT_EQ(platform_probe(dir.path().c_str(), &attributes), 1);

    file_record file{};
    assign_file(&file, dir.at("b").c_str());
    create_file(&file, 1);
    platform_fail_at = platform_operations + 1;
    close_file(&file);
    EXPECT_NE(take_status(), 0u);
    EXPECT_EQ(file.state, state_closed);
    erase_file(&file);
    EXPECT_EQ(take_status(), 0u);
}

} // namespace
