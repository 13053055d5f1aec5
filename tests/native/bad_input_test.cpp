// The catalogue of bad input (docs/bad-input.md): each kind of damage, what the program
// does with it. One table per stage that notices the damage.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include "archive/archive_file.h"
#include "archive/header.h"
#include "archive/input_stream.h"
#include "archive/password.h"
#include "extract/output_file.h"
#include "archive/crc16.h"
#include "extract/entry_reader.h"
#include "extract/run_extraction.h"
#include "tests/native/archive_maker.h"
#include "writer/token_coder.h"
#include "startup/host.h"
#include "startup/self_check.h"
#include "tests/native/temp_folder.h"
#include "tests/native/test_host.h"

namespace {

const char read_failure[] = "ファイルの読み込みに失敗しました。";
const char damaged[] = "ファイルが壊れています。";
const char smaller[] = "ファイルのサイズが元々のファイルより小さいです。解凍できません。";
const char write_failure[] = "ファイルの書き込みに失敗しました。";
const char folder_failure[] = "フォルダが作れませんでした:";
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

archive_entry file(const std::string &name, const bytes &content)
{
    archive_entry e;
    e.name = name;
    e.content = content;
    return e;
}

bytes text(const std::string &s)
{
    return bytes(s.begin(), s.end());
}

bytes noise(size_t size, uint32_t seed)
{
    bytes b(size);
    for (auto &x : b) {
        seed = seed * 1103515245u + 12345u;
        x = (uint8_t)(seed >> 24);
    }
    return b;
}

// An entry of stated size whose coded data is written by hand (or by the token coder).
archive_entry coded_entry(const std::string &name, int32_t size, const bytes &coded)
{
    archive_entry e;
    e.name = name;
    e.raw = true;
    e.size = size;
    e.coded = coded;
    return e;
}

// Bits in reading order ("0"/"1"), packed least significant bit first.
bytes bits(const std::string &b)
{
    bytes out((b.size() + 7) / 8, 0);
    for (size_t i = 0; i < b.size(); i++)
        if (b[i] == '1')
            out[i / 8] |= (uint8_t)(1u << (i % 8));
    return out;
}

// Codes of the tree every entry starts with, in reading order.
const std::string code_a = "10100000";     // the literal 0x61
const std::string code_match = "00000011"; // match_symbol

void collect(void *context, const uint8_t *data, size_t count)
{
    static_cast<bytes *>(context)->insert(static_cast<bytes *>(context)->end(), data, data + count);
}

struct run_result {
    int code;
    std::string text;         // the first message, or ""
    std::set<std::string> files; // below the destination, slashes
};

struct bad_archive_test : ::testing::Test {
    temp_folder dir;
    std::string password;

    void TearDown() override
    {
        reset_file_records();
    }
    // Self-check, password and run over the program file, into an empty destination.
    run_result extract(const bytes &program)
    {
        static std::string path, destination, typed;
        TearDown();
        reset_test_host();
        std::filesystem::remove_all(dir.at("dest"));
        std::filesystem::create_directory(dir.at("dest"));
        path = dir.write("program.exe", program);
        destination = dir.at("dest") + "\\";
        typed = password;
        int code = run_program(path.c_str(), typed.c_str(), destination.c_str());
        run_result r{code, host_record.boxes ? host_record.box[0].text : "", {}};
        for (auto &e : std::filesystem::recursive_directory_iterator(dir.at("dest")))
            if (e.is_regular_file())
                r.files.insert(std::filesystem::relative(e.path(), dir.at("dest")).string());
        return r;
    }
};

// Cuts at every block edge and two bytes either side: with the recorded size as written
// the self-check refuses the shorter file; with the size made to match, the stream finds
// a short block (damaged) or no more data (read failure) and the half-written file goes.
TEST_F(bad_archive_test, truncations_at_every_block_edge)
{
    bytes archive = make_archive({file("first.txt", text("first")), file("noise.bin", noise(20000, 7))});
    bytes program = stub_with(archive);
    const size_t data_start = archive_offset + 7; // the smallest header
    const size_t blocks = (program.size() - data_start + block_size - 1) / block_size;
    ASSERT_GE(blocks, 5u);
    int cuts = 0;
    for (size_t k = 0; k <= blocks; k++) {
        for (int delta = -2; delta <= 2; delta++) {
            size_t cut = data_start + k * block_size + delta;
            if (cut < data_start || cut >= program.size())
                continue;
            SCOPED_TRACE("cut at " + std::to_string(cut));
            bytes cut_file(program.begin(), program.begin() + (long)cut);
            run_result as_written = extract(cut_file);
            EXPECT_EQ(as_written.code, 0);
            EXPECT_EQ(as_written.text, smaller);
            EXPECT_TRUE(as_written.files.empty());

            put_u32(cut_file, archive_offset, (uint32_t)cut);
            run_result r = extract(cut_file);
            size_t tail = (cut - data_start) % block_size;
            EXPECT_EQ(r.code, 1);
            EXPECT_EQ(r.text, tail == 0 ? read_failure : damaged);
            std::set<std::string> want;
            if (cut >= data_start + block_size)
                want.insert("first.txt");
            EXPECT_EQ(r.files, want);
            cuts++;
        }
    }
    EXPECT_GE(cuts, 20);
}

// Every bit of a one-block archive's blocks flipped in turn: the block fails its check
// before any byte of it is used, so nothing at all is created.
TEST_F(bad_archive_test, every_flipped_bit_of_a_block_is_damage)
{
    bytes program = stub_with(make_archive({file("a.txt", text("alpha alpha")), file("b\\c.txt", text("gamma"))}));
    const size_t data_start = archive_offset + 7;
    ASSERT_LT(program.size() - data_start, (size_t)block_size);
    for (size_t at = data_start; at < program.size(); at++) {
        for (int bit = 0; bit < 8; bit++) {
            bytes flipped = program;
            flipped[at] ^= (uint8_t)(1u << bit);
            run_result r = extract(flipped);
            ASSERT_EQ(r.code, 1) << at << ":" << bit;
            ASSERT_EQ(r.text, damaged) << at << ":" << bit;
            ASSERT_TRUE(r.files.empty()) << at << ":" << bit;
        }
    }
}

// The header carries no check: a flipped bit of the message changes the text shown and
// nothing else; one of the recorded size is a size refusal.
TEST_F(bad_archive_test, flipped_bits_of_the_header)
{
    archive_options options;
    options.message = "hello";
    bytes program = stub_with(make_archive({file("a.txt", text("a"))}, options));
    bytes message_flip = program;
    message_flip[archive_offset + 4] ^= 0x20;
    run_result r = extract(message_flip);
    EXPECT_EQ(r.code, -1);
    EXPECT_STREQ(host_record.message_text, "Hello");
    EXPECT_EQ(r.files, std::set<std::string>{"a.txt"});
    for (int bit = 0; bit < 32; bit++) {
        bytes size_flip = program;
        size_flip[archive_offset + bit / 8] ^= (uint8_t)(1u << (bit % 8));
        r = extract(size_flip);
        EXPECT_EQ(r.code, 0) << bit;
        EXPECT_TRUE(r.text == smaller || r.text == larger) << bit;
        EXPECT_TRUE(r.files.empty());
    }
}

// A wrong password is refused by the check word; one that passes it by chance (the
// check is 16 bits) gives the wrong key stream, and the first block fails its check.
TEST_F(bad_archive_test, wrong_passwords)
{
    archive_options options;
    options.password = "pass";
    bytes program = stub_with(make_archive({file("secret.txt", text("secret"))}, options));
    password = "wrong";
    run_result r = extract(program);
    EXPECT_EQ(r.code, -1);
    EXPECT_EQ(host_record.boxes, 0);
    EXPECT_TRUE(r.files.empty());

    std::string twin;
    const uint16_t target = password_crc("pass", 4);
    for (uint32_t n = 0; twin.empty() && n < 26u * 26 * 26 * 26; n++) {
        std::string t = {(char)('a' + n % 26), (char)('a' + n / 26 % 26), (char)('a' + n / 676 % 26),
                         (char)('a' + n / 17576)};
        if (t != "pass" && password_crc(t.c_str(), 4) == target)
            twin = t;
    }
    ASSERT_FALSE(twin.empty());
    password = twin;
    r = extract(program);
    EXPECT_EQ(r.code, 1) << twin;
    EXPECT_EQ(r.text, damaged);
    EXPECT_TRUE(r.files.empty());
    password = "pass";
    EXPECT_EQ(extract(program).files, std::set<std::string>{"secret.txt"});
}

// Copies that cannot come from a sound archive are damage; one that runs past the
// entry's size is carried out in full, as the format defines.
TEST_F(bad_archive_test, impossible_copies)
{
    auto coder = std::make_unique<token_coder>();
    bytes before_start;
    token_coder_start(coder.get(), byte_sink{collect, &before_start});
    code_copy(coder.get(), 1, 4); // a copy before the entry's first byte
    token_coder_finish(coder.get());
    bytes too_far;
    token_coder_start(coder.get(), byte_sink{collect, &too_far});
    code_literal(coder.get(), 'x');
    code_literal(coder.get(), 'y');
    code_copy(coder.get(), 3, 4); // three back after two bytes
    token_coder_finish(coder.get());
    // After a literal, a copy whose ternary number runs on past 32 bits.
    std::string endless = code_a + code_match + std::string(14, '0');
    for (int i = 0; i < 40; i++)
        endless += "00";
    endless += "11";

    struct {
        const char *what;
        archive_entry entry;
        int code;
        const char *text;
        size_t size; // of the file left, for a run that completes
    } cases[] = {
        {"distance beyond the first byte", coded_entry("x.bin", 4, before_start), 1, damaged, 0},
        {"distance beyond the bytes produced", coded_entry("x.bin", 6, too_far), 1, damaged, 0},
        {"length beyond 32 bits", coded_entry("x.bin", 100, bits(endless)), 1, damaged, 0},
        {"copy past the size", coded_entry("x.bin", 2, bits(code_a + code_match + std::string(10, '0') +
                                                            "1111" + "11")), -1, "", 18},
    };
    for (auto &c : cases) {
        run_result r = extract(stub_with(make_archive({file("kept.txt", text("kept")), c.entry})));
        EXPECT_EQ(r.code, c.code) << c.what;
        EXPECT_EQ(r.text, c.text) << c.what;
        if (c.code == -1) {
            EXPECT_EQ(dir.read("dest/x.bin"), bytes(c.size, 'a')) << c.what;
        } else {
            EXPECT_EQ(r.files, std::set<std::string>{"kept.txt"}) << c.what;
        }
    }
}

// Names that would leave the destination, or that no buffer holds, are damage before
// anything of their entry is made; entries before them stay.
TEST_F(bad_archive_test, names_escaping_or_too_long)
{
    const std::string long_name(entry_name_limit + 1, 'n');
    struct {
        const char *what;
        std::vector<archive_entry> entries;
        int code;
        const char *text;
    } cases[] = {
        {"parent folder", {file("..\\x.txt", text("x"))}, 1, damaged},
        {"parent folder further down", {file("a\\..\\..\\x.txt", text("x"))}, 1, damaged},
        {"parent folder as a folder entry", {file("..\\.", {})}, 1, damaged},
        {"leading backslash", {file("\\x.txt", text("x"))}, 1, damaged},
        {"drive", {file("C:x.txt", text("x"))}, 1, damaged},
        {"drive and root", {file("C:\\x.txt", text("x"))}, 1, damaged},
        {"slash", {file("a/../../x.txt", text("x"))}, 1, damaged},
        {"empty part", {file("a\\\\x.txt", text("x"))}, 1, damaged},
        {"dots and blanks", {file(". .\\x.txt", text("x"))}, 1, damaged},
        {"parent by shared prefix", {file("ab", text("1")), file(std::string("*\0\\..\\..\\x", 10), text("x"))},
         1, damaged},
        {"name longer than its buffer", {file(long_name, text("x"))}, 1, damaged},
        {"shared prefix grown past the buffer",
         {file(std::string(200, 'p'), text("1")), file(std::string("*\xFF", 2) + std::string(70, 't'), text("x"))},
         1, damaged},
        {"full path longer than a file name", {file(std::string(entry_name_limit, 'q'), text("x"))}, 1,
         write_failure},
    };
    for (auto &c : cases) {
        std::vector<archive_entry> entries = {file("kept.txt", text("kept"))};
        entries.insert(entries.end(), c.entries.begin(), c.entries.end());
        run_result r = extract(stub_with(make_archive(entries)));
        EXPECT_EQ(r.code, c.code) << c.what;
        EXPECT_EQ(r.text, c.text) << c.what;
        std::set<std::string> want = {"kept.txt"};
        if (c.entries.size() == 2)
            want.insert(c.entries[0].name);
        EXPECT_EQ(r.files, want) << c.what;
    }
    // Nothing was made beside the destination.
    std::set<std::string> top;
    for (auto &e : std::filesystem::directory_iterator(dir.path()))
        top.insert(e.path().filename().string());
    EXPECT_EQ(top, (std::set<std::string>{"dest", "program.exe"}));
}

// Sizes at the ends of the signed 32-bit range, empty archives, and data that stops
// where more is needed.
TEST_F(bad_archive_test, sizes_and_missing_data)
{
    bytes small = make_archive({file("s.txt", text("small"))});
    bytes small_coded(small.begin() + 7 + 6 + 28, small.end() - 2); // the coded bytes of "small"
    auto sequence = [](const bytes &payload) {
        // One block of the given payload after the smallest header.
        bytes a = {0, 0, 0, 0, 0, 0, 0};
        a.insert(a.end(), payload.begin(), payload.end());
        uint16_t crc = 0;
        for (uint8_t b : payload)
            crc = crc16_step(crc, b);
        crc = crc16_step(crc16_step(crc, 0), 0);
        a.push_back((uint8_t)(crc >> 8));
        a.push_back((uint8_t)crc);
        return sized(a);
    };
    struct {
        const char *what;
        bytes archive;
        int code;
        const char *text;
    } cases[] = {
        {"size 2^31 - 1 with the data of five bytes", make_archive({coded_entry("s.txt", 0x7FFFFFFF, small_coded)}),
         1, read_failure},
        {"size 2^31 (negative)", make_archive({coded_entry("s.txt", INT32_MIN, small_coded)}), 1, damaged},
        {"size -1", make_archive({coded_entry("s.txt", -1, {})}), 1, damaged},
        {"header and no blocks", sized(bytes(7, 0)), 1, read_failure},
        {"a block of only its check", sequence({}), 1, read_failure},
        {"a block of one byte", sized({0, 0, 0, 0, 0, 0, 0, 0x41}), 1, damaged},
        {"a name without its end", sequence(text("abc")), 1, read_failure},
        {"a file entry cut in its times", sequence(text("abc\0\1\2\3")), 1, read_failure},
    };
    for (auto &c : cases) {
        run_result r = extract(stub_with(c.archive));
        EXPECT_EQ(r.code, c.code) << c.what;
        EXPECT_EQ(r.text, c.text) << c.what;
        EXPECT_TRUE(r.files.empty()) << c.what;
    }
}

} // namespace
