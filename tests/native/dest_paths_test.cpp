// Destination paths and folder creation over the POSIX backend, with every existence
// probe recorded; paths are relative to a scratch folder made the current directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>
#include "archive/archive_file.h"
#include "extract/dest_paths.h"
#include "startup/host.h"
#include "tests/native/temp_folder.h"
#include "tests/native/test_host.h"

static std::vector<std::string> probes;

extern "C" int __real_platform_probe(const char *name, uint32_t *attributes);
extern "C" int __wrap_platform_probe(const char *name, uint32_t *attributes)
{
    probes.push_back(name);
    return __real_platform_probe(name, attributes);
}

namespace {

typedef std::vector<std::string> texts;

struct dest_paths_test : ::testing::Test {
    temp_folder dir;
    std::string old_cwd;
    void SetUp() override
    {
        char here[4096];
        old_cwd = getcwd(here, sizeof here);
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        probes.clear();
        reset_test_host();
    }
    void TearDown() override { ASSERT_EQ(chdir(old_cwd.c_str()), 0); }
    bool is_folder(const std::string &name)
    {
        struct stat st;
        return stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
};

TEST_F(dest_paths_test, add_trailing_backslash_looks_at_the_last_character)
{
    struct {
        const char *text, *result;
    } cases[] = {
        {"", "\\"},
        {"C:\\", "C:\\"},
        {"C:\\dest", "C:\\dest\\"},
        {"C:\\表", "C:\\表\\"}, // 95 5C: the 5C is the second byte of 表
        {"C:\\表\\", "C:\\表\\"},
    };
    for (auto &c : cases) {
        char text[16] = {};
        strcpy(text, c.text);
        EXPECT_EQ(add_trailing_backslash(text, sizeof text), 0) << c.text;
        EXPECT_STREQ(text, c.result) << c.text;
    }
    EXPECT_EQ(std::string("表"), "\x95\x5C");
    char full[4] = "abc";
    EXPECT_EQ(add_trailing_backslash(full, sizeof full), 1);
    EXPECT_STREQ(full, "abc");
}

TEST_F(dest_paths_test, folder_state_of_roots_files_and_missing_names)
{
    mkdir("there", 0777);
    dir.write("file", {1});
    struct {
        const char *text;
        uint8_t state;
        texts probed;
    } cases[] = {
        {"C:\\", state_folder, {}},
        {"z:\\", state_folder, {}},
        {"1:\\", state_missing, {"1:"}},
        {"there\\", state_folder, {"there"}},
        {"file\\", state_not_folder, {"file"}},
        {"absent\\", state_missing, {"absent"}},
        {"\\", state_missing, {""}},
    };
    for (auto &c : cases) {
        probes.clear();
        EXPECT_EQ(folder_state(c.text), c.state) << c.text;
        EXPECT_EQ(probes, c.probed) << c.text;
    }
}

TEST_F(dest_paths_test, create_folder_path_probes_each_prefix_once_shallowest_first)
{
    mkdir("C:", 0777); // a drive here is an ordinary folder, which is never probed
    struct {
        const char *path;
        texts probed;
    } cases[] = {
        {"C:\\dest\\a\\b\\", {"C:\\dest", "C:\\dest\\a", "C:\\dest\\a\\b"}},
        {"C:\\表\\x\\", {"C:\\表", "C:\\表\\x"}},
        {"a\\b\\", {"a", "a\\b"}},
        {"a\\b\\", {"a", "a\\b"}}, // again: everything exists, nothing is made
        {"", {}},
        {"\\", {}},
    };
    for (auto &c : cases) {
        probes.clear();
        EXPECT_STREQ(create_folder_path(c.path), "") << c.path;
        EXPECT_EQ(probes, c.probed) << c.path;
    }
    EXPECT_TRUE(is_folder("C:/dest/a/b"));
    EXPECT_TRUE(is_folder(u8"C:/表/x")); // on disk the name is UTF-8
    EXPECT_FALSE(is_folder("C:/\x95")); // the lead byte alone never became a folder
    EXPECT_TRUE(is_folder("a/b"));
}

TEST_F(dest_paths_test, create_folder_path_stops_at_a_file_or_a_folder_it_cannot_make)
{
    dir.write("a", {1});
    EXPECT_STREQ(create_folder_path("a\\b\\"), "a");
    EXPECT_EQ(probes, texts{"a"});

    // 85 40 has no character in code page 932: the folder cannot be made.
    probes.clear();
    EXPECT_STREQ(create_folder_path("m\\\x85\x40\\z\\"), "m\\\x85\x40");
    EXPECT_TRUE(is_folder("m")); // made before the failure, left in place
    EXPECT_EQ(probes, (texts{"m", "m\\\x85\x40"}));
}

TEST_F(dest_paths_test, folder_part_keeps_the_last_backslash)
{
    struct {
        const char *path;
        uint32_t length;
    } cases[] = {
        {"C:\\d\\f.txt", 5}, {"f.txt", 0}, {"C:\\d\\表", 5}, {"C:\\d\\", 5}, {"", 0},
    };
    for (auto &c : cases)
        EXPECT_EQ(folder_part(c.path), c.length) << c.path;
}

TEST_F(dest_paths_test, folder_failure_stop_names_the_folder_and_ends_with_code_0)
{
    dir.write("own.exe", bytes(10, 0));
    assign_file(&archive_file, "own.exe");
    open_mode = 0;
    open_existing(&archive_file, 1);
    ASSERT_EQ(take_status(), 0u);
    EXPECT_EQ(run_until_stop([](void *) { folder_failure_stop("C:\\表\\x"); }, nullptr), 0);
    ASSERT_EQ(host_record.boxes, 1);
    EXPECT_STREQ(host_record.box[0].text, "フォルダが作れませんでした:C:\\表\\x");
    EXPECT_EQ(host_record.box[0].owner, owner_main_window);
    EXPECT_EQ(host_record.box[0].style, 0x10u);
    EXPECT_EQ(archive_file.state, state_closed);
    EXPECT_EQ(host_record.bitmaps_released, 1);
    archive_file = file_record{};
}

} // namespace
