// The extraction run over hand-made archives, through the recording host.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include "archive/archive_file.h"
#include "archive/decoder.h"
#include "archive/input_stream.h"
#include "archive/password.h"
#include "extract/entry_reader.h"
#include "extract/output_file.h"
#include "extract/run_extraction.h"
#include "startup/host.h"
#include "startup/self_check.h"
#include "tests/native/archive_fixture.h"
#include "tests/native/temp_folder.h"
#include "tests/native/test_host.h"

namespace {

const char damaged[] = "ファイルが壊れています。";
const char write_failure[] = "ファイルの書き込みに失敗しました。";

bytes text(const std::string &s)
{
    return bytes(s.begin(), s.end());
}

uint64_t filetime(int64_t unix_seconds)
{
    return (uint64_t)(unix_seconds + 11644473600LL) * 10000000u;
}

// One literal, then copies at distance 1 of 17 + 16 * steps bytes each: a long entry
// whose first 256 symbols need only the initial tree.
bytes repeated_data(int copies, uint32_t steps, int32_t *size)
{
    bit_packer bits;
    bits.put(initial_code('r'));
    for (int i = 0; i < copies; i++) {
        bits.put(initial_code(256));
        bits.put_number(0, 10);
        bits.put_number(15, 4);
        bits.put_ternary(8 * steps);
    }
    *size = 1 + copies * (int32_t)(17 + 16 * steps);
    return bits.finish();
}

struct run_extraction_test : ::testing::Test {
    temp_folder dir;
    std::string out;         // the destination on disk
    std::string destination; // as the run is given it, ending in a backslash

    void SetUp() override
    {
        reset_test_host();
        mkdir(dir.at("out").c_str(), 0777);
        out = dir.at("out") + "/";
        destination = dir.at("out") + "\\";
    }
    void TearDown() override
    {
        reset_file_records();
    }
    // Runs the extraction of an archive with this entry sequence: the exit code, or -1.
    int run(const entry_sequence &entries)
    {
        static std::string path;
        path = dir.write("program.exe", archive_file_bytes(entries.data()));
        return run_program(path.c_str(), nullptr, destination.c_str());
    }
    bytes got(const std::string &name) { return dir.read("out/" + name); }
    bool exists(const std::string &name) { return dir.exists("out/" + name); }
};

TEST_F(run_extraction_test, the_fixtures_code_the_known_answers)
{
    EXPECT_EQ(initial_code(1), "000000000");
    EXPECT_EQ(initial_code(2), "000000001");
    EXPECT_EQ(initial_code(0), "00000001");
    EXPECT_EQ(initial_code(255), "00000010");
    EXPECT_EQ(initial_code(256), "00000011");
    EXPECT_EQ(initial_code(0x41), "01000000");
    EXPECT_EQ(initial_code(0x61), "10100000");
    EXPECT_EQ(literal_data({0x41}), bytes{0x02});
    bit_packer bits;
    bits.put(initial_code(0x61));
    bits.put(initial_code(256));
    bits.put_number(0, 10);
    bits.put_number(1, 4);
    bits.put_ternary(0);
    EXPECT_EQ(bits.finish(), (bytes{0x05, 0xC0, 0x00, 0xC4}));
    EXPECT_EQ(fixture_crc(text("123456789")), 0xFEE8);
}

TEST_F(run_extraction_test, names_folders_sizes_and_times)
{
    entry_sequence e;
    e.file("ab\\cd", {0x41}, filetime(1000000000));
    e.raw({0x2A, 0x00, 'x', 0x00}); // shares "ab": the name is "abx"
    e.fields(4, filetime(1200000000));
    e.raw({0x05, 0xC0, 0x00, 0xC4}); // 61 61 61 61
    e.raw({0x2A, 0xC8, 'y', 0x00});  // a prefix longer than "abx" takes all of it
    e.fields(0, 0);                  // size 0: no coded data, the next name follows
    e.file("b.", text("dot"));       // 62 2E ends a file's name, not a folder's
    e.folder(".");                   // the destination itself
    e.folder("表\\空\\.");           // an empty folder, two levels made
    e.file("表\\f", text("in 表"));
    e.folder("last\\.");             // the archive ends right after a folder entry
    EXPECT_EQ(run(e), -1);
    EXPECT_EQ(cancel_flag, 0);
    EXPECT_EQ(host_record.boxes, 0);
    struct stat st; // before any read touches the access time
    ASSERT_EQ(stat((out + "abx").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1200000000);
    EXPECT_EQ(st.st_atime, 1200000000);
    EXPECT_EQ(got("ab/cd"), bytes{0x41});
    EXPECT_EQ(got("abx"), text("aaaa"));
    EXPECT_EQ(got("abxy"), bytes{});
    EXPECT_EQ(got("b."), text("dot"));
    EXPECT_EQ(got(u8"表/f"), text("in 表"));
    EXPECT_TRUE(exists(u8"表/空"));
    EXPECT_TRUE(exists("last"));
    // Two lines per file entry; the folder entries after the last file left it alone.
    EXPECT_EQ(host_record.progress_updates, 10);
    EXPECT_EQ(std::string(host_record.progress_text), "解凍中:" + destination + "表\\f");
    EXPECT_EQ(archive_file.state, state_closed);
}

TEST_F(run_extraction_test, no_at_the_question_skips_the_entry_but_decodes_it)
{
    dir.write("out/old", text("keep"));
    entry_sequence e;
    e.file("old", text("new content"));
    e.file("next", text("read after the skip"));
    script_answer(answer_no);
    EXPECT_EQ(run(e), -1);
    ASSERT_EQ(host_record.boxes, 1);
    EXPECT_EQ(std::string(host_record.box[0].text), destination + "oldはすでに存在します。上書きしますか？");
    EXPECT_EQ(host_record.box[0].style, 0x23u);
    EXPECT_EQ(host_record.box[0].owner, owner_main_window);
    EXPECT_EQ(got("old"), text("keep"));
    EXPECT_EQ(got("next"), text("read after the skip"));
    EXPECT_EQ(cancel_flag, 0);
}

TEST_F(run_extraction_test, cancel_at_the_third_question_leaves_two_files)
{
    entry_sequence e;
    for (const char *name : {"one", "two", "three", "four"}) {
        dir.write(std::string("out/") + name, text("old"));
        e.file(name, text(std::string("new ") + name));
    }
    script_answer(answer_yes);
    script_answer(answer_yes);
    script_answer(answer_cancel);
    EXPECT_EQ(run(e), -1);
    EXPECT_EQ(cancel_flag, 1);
    EXPECT_EQ(host_record.boxes, 3);
    EXPECT_EQ(got("one"), text("new one"));
    EXPECT_EQ(got("two"), text("new two"));
    EXPECT_EQ(got("three"), text("old"));
    EXPECT_EQ(got("four"), text("old"));
    EXPECT_EQ(std::string(host_record.progress_text), "処理中:" + destination + "three");
    EXPECT_EQ(archive_file.state, state_closed);
}

// Cancel at the second tree rebuild, before symbol 256: more than 40960 bytes are
// already written to the file, which must not remain, nor the older file it replaced.
TEST_F(run_extraction_test, cancel_while_a_file_is_written_deletes_it)
{
    for (bool older : {false, true}) {
        reset_test_host();
        unlink((out + "first").c_str());
        if (older)
            dir.write("out/big", text("older file"));
        int32_t size;
        bytes coded = repeated_data(300, 20, &size);
        entry_sequence e;
        e.file("first", text("stays"));
        e.file_coded("big", size, coded);
        e.file("never", text("not reached"));
        host_record.on_pump = [] {
            if (host_record.pumps == 3) // the first entry's rebuild, then two of "big"
                cancel_flag = 1;
        };
        EXPECT_EQ(run(e), -1);
        EXPECT_EQ(cancel_flag, 1);
        EXPECT_EQ(host_record.boxes, older ? 1 : 0);
        EXPECT_EQ(got("first"), text("stays"));
        EXPECT_FALSE(exists("big")) << older;
        EXPECT_FALSE(exists("never"));
        TearDown();
    }
}

TEST_F(run_extraction_test, a_long_entry_decodes_whole)
{
    int32_t size;
    bytes coded = repeated_data(255, 20, &size);
    entry_sequence e;
    e.file_coded("big", size, coded);
    EXPECT_EQ(run(e), -1);
    EXPECT_EQ(got("big"), bytes((size_t)size, 'r'));
}

TEST_F(run_extraction_test, a_folder_in_the_way_of_a_file_is_asked_about_then_fails)
{
    mkdir((out + "name").c_str(), 0777);
    entry_sequence e;
    e.file("name", text("x"));
    EXPECT_EQ(run(e), 1);
    ASSERT_EQ(host_record.boxes, 2);
    EXPECT_EQ(host_record.box[0].style, 0x23u);
    EXPECT_STREQ(host_record.box[1].text, write_failure);
}

TEST_F(run_extraction_test, a_file_in_the_way_of_a_folder_stops_with_code_0)
{
    dir.write("out/a", text("file"));
    for (const char *name : {"a\\b\\.", "a\\b\\c"}) {
        reset_test_host();
        unlink((out + "before").c_str());
        entry_sequence e;
        e.file("before", text("kept"));
        if (name[4] == '.')
            e.folder(name);
        else
            e.file(name, text("y"));
        EXPECT_EQ(run(e), 0) << name;
        ASSERT_EQ(host_record.boxes, 1);
        EXPECT_EQ(std::string(host_record.box[0].text), "フォルダが作れませんでした:" + destination + "a");
        EXPECT_EQ(host_record.box[0].style, 0x10u);
        EXPECT_EQ(got("before"), text("kept"));
        EXPECT_EQ(got("a"), text("file"));
        TearDown();
    }
}

// Names that would leave the destination, and names too long for their buffer, are
// damaged data: nothing of the entry is made, here or anywhere else.
TEST_F(run_extraction_test, names_that_leave_the_destination_are_damage)
{
    const std::string bad[] = {
        "..\\x", "a\\..\\..\\x", "\\x", "C:x", "a\\\\b", "", "a\\", ".. \\x", "...\\x",
        "a/b", "..", "x\\..\\.", std::string(entry_name_limit + 1, 'n'),
    };
    for (const std::string &name : bad) {
        reset_test_host();
        entry_sequence e;
        e.file(name, text("escaped"));
        e.file("after", text("never"));
        EXPECT_EQ(run(e), 1) << name;
        ASSERT_EQ(host_record.boxes, 1) << name;
        EXPECT_STREQ(host_record.box[0].text, damaged) << name;
        EXPECT_EQ(host_record.progress_updates, 0) << name;
        EXPECT_FALSE(exists("after"));
        EXPECT_FALSE(dir.exists("x"));
        EXPECT_FALSE(exists("a"));
        TearDown();
    }
    // A shared prefix can put the parts of ".." together.
    reset_test_host();
    entry_sequence e;
    e.file("..a", text("fine"));
    e.raw({0x2A, 0x00, '\\', 'x', 0x00});
    e.fields(1, 0);
    e.raw(literal_data({'z'}));
    EXPECT_EQ(run(e), 1);
    EXPECT_STREQ(host_record.box[0].text, damaged);
    EXPECT_EQ(got("..a"), text("fine"));
    EXPECT_FALSE(dir.exists("x"));
}

TEST_F(run_extraction_test, a_full_path_beyond_259_bytes_is_a_write_failure)
{
    size_t room = 259 - destination.size();
    std::string folder(100, 'd');
    std::string fits = folder + "\\" + std::string(room - folder.size() - 1, 'f');
    std::string longer = fits + "g";
    entry_sequence e;
    e.file(fits, text("259 bytes"));
    e.file(longer, text("260 bytes"));
    EXPECT_EQ(run(e), 1);
    ASSERT_EQ(host_record.boxes, 1);
    EXPECT_STREQ(host_record.box[0].text, write_failure);
    EXPECT_EQ(got(folder + "/" + fits.substr(101)), text("259 bytes"));
    EXPECT_FALSE(exists(folder + "/" + longer.substr(101)));
}

TEST_F(run_extraction_test, an_archive_cut_inside_an_entry_is_a_read_failure)
{
    entry_sequence e;
    e.name("cut");
    e.raw({1, 2, 3});
    EXPECT_EQ(run(e), 1);
    EXPECT_STREQ(host_record.box[0].text, "ファイルの読み込みに失敗しました。");
    EXPECT_FALSE(exists("cut"));
}

} // namespace
