// The archive stream over hand-made block files: block borders, the end of the archive,
// the whole-block check, the key stream, and the password test.
#include <gtest/gtest.h>
#include <cstring>
#include "archive/crc16.h"
#include "tests/native/codec_fixture.h"
#include "writer/header_writer.h"

namespace {

bytes counting(size_t n)
{
    bytes out(n);
    for (size_t i = 0; i < n; i++)
        out[i] = (uint8_t)(i * 7 + i / 251);
    return out;
}

// Blocks made the long way: the CRC by stepping the register over the plain payload and
// two zeros, the payload XORed with the key, the check bytes not.
bytes frame_by_hand(const bytes &sequence, const std::string &key = "")
{
    bytes out;
    size_t t = 0;
    for (size_t start = 0; start < sequence.size(); start += block_payload) {
        size_t k = std::min<size_t>(block_payload, sequence.size() - start);
        uint16_t crc = 0;
        for (size_t j = 0; j < k; j++)
            crc = crc16_step(crc, sequence[start + j]);
        crc = crc16_step(crc16_step(crc, 0), 0);
        for (size_t j = 0; j < k; j++, t++)
            out.push_back(key.empty() ? sequence[start + j] : (uint8_t)(sequence[start + j] ^ key[t % key.size()]));
        out.push_back((uint8_t)(crc >> 8));
        out.push_back((uint8_t)crc);
    }
    return out;
}

TEST(crc16, known_values_and_the_remainder_of_a_checked_message)
{
    const char *check = "123456789";
    EXPECT_EQ(password_crc(check, 9), 0xFEE8); // the published check value
    EXPECT_EQ(crc16_of((const uint8_t *)check, 9), 0xFEE8);
    crc_register = 0;
    for (int i = 0; i < 9; i++)
        crc16_update((uint8_t)check[i]);
    crc16_update(0xFE);
    crc16_update(0xE8);
    EXPECT_EQ(crc_register, 0);
    EXPECT_EQ(password_crc("", 0), 0);
}

TEST(crc16, the_lanes_give_what_stepping_gives_at_every_length)
{
    // Bytes that differ between the lanes, so that no mix-up of lanes goes unseen.
    bytes data(5000);
    uint32_t state = 1;
    for (auto &b : data) {
        state = state * 1103515245u + 12345u;
        b = (uint8_t)(state >> 23);
    }
    for (uint32_t n : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 33u, 100u, 255u, 256u, 257u, 511u, 1023u, 1024u,
                       1025u, 1055u, 4094u, 4095u, 4096u, 5000u}) {
        uint16_t stepped = 0;
        for (uint32_t i = 0; i < n; i++)
            stepped = crc16_step(stepped, data[i]);
        stepped = crc16_step(crc16_step(stepped, 0), 0);
        EXPECT_EQ(crc16_of(data.data(), n), stepped) << n;
    }
}

TEST(input_stream, the_writer_frames_as_the_format_says)
{
    bytes sequence = counting(3 * block_payload + 100);
    EXPECT_EQ(frame(sequence), frame_by_hand(sequence));
    EXPECT_EQ(frame(sequence, "key"), frame_by_hand(sequence, "key"));
    EXPECT_EQ(frame(counting(block_payload)).size(), (size_t)block_size);
    EXPECT_TRUE(frame({}).empty());
}

TEST(input_stream, the_second_block_is_read_at_the_4097th_byte)
{
    bytes sequence = counting(block_payload + 10);
    bytes blocks = frame_by_hand(sequence);
    blocks[block_size + 3] ^= 0x01; // the second block is damaged
    reader_run r(blocks);
    bytes got;
    EXPECT_EQ(r.run([&] {
        for (;;)
            got.push_back(read_byte());
    }), 1);
    EXPECT_EQ(r.box_text(), damaged_text);
    EXPECT_TRUE(got == bytes(sequence.begin(), sequence.begin() + block_payload));
}

TEST(input_stream, the_end_is_flagged_at_the_last_byte_and_a_read_after_it_fails)
{
    for (size_t n : {(size_t)block_payload, (size_t)1, (size_t)2 * block_payload + 5}) {
        SCOPED_TRACE(n);
        bytes sequence = counting(n);
        reader_run r(frame_by_hand(sequence));
        bytes got;
        bool early_end = false;
        EXPECT_EQ(r.run([&] {
            for (size_t i = 0; i < n; i++) {
                early_end |= end_of_archive != 0;
                got.push_back(read_byte());
            }
        }), -1);
        EXPECT_FALSE(early_end);
        EXPECT_TRUE(end_of_archive);
        EXPECT_TRUE(got == sequence);
        EXPECT_EQ(r.run([] { read_byte(); }), 1);
        EXPECT_EQ(r.box_text(), read_failure_text);
    }
}

TEST(input_stream, nothing_after_the_header_or_a_lone_check_is_a_read_failure)
{
    for (bytes file : {bytes{}, bytes{0x00, 0x00}}) {
        reader_run r(file);
        EXPECT_EQ(r.run([] { read_byte(); }), 1);
        EXPECT_EQ(r.box_text(), read_failure_text);
    }
}

TEST(input_stream, one_flipped_bit_anywhere_in_a_block_stops_before_its_bytes_are_used)
{
    bytes sequence = counting(block_payload + 300);
    bytes good = frame_by_hand(sequence);
    // Bits of the first block (payload ends, middle, both check bytes) and of the short last one.
    for (size_t at : {(size_t)0, (size_t)2000, (size_t)4095, (size_t)4096, (size_t)4097, (size_t)block_size + 299,
                      good.size() - 1}) {
        for (int bit = 0; bit < 8; bit++) {
            SCOPED_TRACE(testing::Message() << "byte " << at << " bit " << bit);
            bytes blocks = good;
            blocks[at] ^= (uint8_t)(1 << bit);
            reader_run r(blocks);
            size_t got = 0;
            EXPECT_EQ(r.run([&] {
                for (;;) {
                    read_byte();
                    got++;
                }
            }), 1);
            EXPECT_EQ(r.box_text(), damaged_text);
            EXPECT_EQ(got, at < block_size ? 0u : (size_t)block_payload);
        }
    }
}

TEST(input_stream, the_key_runs_on_across_blocks_and_entries)
{
    // Two coded entries keyed with a 3-byte key: 4096 mod 3 is 1, so the second block
    // starts mid-key; its check bytes take no key byte.
    bytes first(9000), second(7000);
    uint32_t state = 1;
    for (bytes *d : {&first, &second})
        for (auto &b : *d)
            b = (uint8_t)((state = state * 1103515245u + 12345u) >> 24);
    bytes sequence = encode(first), coded = encode(second);
    sequence.insert(sequence.end(), coded.begin(), coded.end());
    reader_run r(frame_by_hand(sequence, "k3y"));
    r.accept_password("k3y");
    bytes out;
    EXPECT_EQ(r.run([&] {
        for (const bytes *d : {&first, &second}) {
            skip_output = 1;
            decode_entry((int32_t)d->size());
            for (int32_t p = write_position - 4000; p < write_position; p++)
                out.push_back(byte_at(p));
        }
    }), -1);
    EXPECT_GT(sequence.size(), 3u * block_payload);
    EXPECT_TRUE(end_of_archive);
    bytes expected(first.end() - 4000, first.end());
    expected.insert(expected.end(), second.end() - 4000, second.end());
    EXPECT_TRUE(out == expected);
}

TEST(input_stream, a_wrong_key_is_caught_by_the_first_block_check)
{
    reader_run r(frame_by_hand(counting(100), "right"));
    r.accept_password("wrong");
    EXPECT_EQ(r.run([] { read_byte(); }), 1);
    EXPECT_EQ(r.box_text(), damaged_text);
}

TEST(password, the_check_word_tests_the_typed_bytes)
{
    password_check = password_crc("Secret", 6);
    archive_key.length = 0;
    EXPECT_FALSE(check_password("secret", 6));
    EXPECT_FALSE(check_password("Secret ", 7));
    EXPECT_EQ(archive_key.length, 0u);
    EXPECT_TRUE(check_password("Secret", 6));
    EXPECT_STREQ(accepted_password, "Secret");
    EXPECT_EQ(archive_key.length, 6u);
    EXPECT_FALSE(check_password(std::string(password_limit + 1, 'x').c_str(), password_limit + 1));
    archive_key.length = 0;
}

TEST(password, an_accepted_empty_text_keys_nothing)
{
    // An empty text has the CRC 0: it passes a check word of 0 and gives an empty key,
    // so an unkeyed payload reads as it is and a keyed one fails its check.
    bytes sequence = counting(50);
    {
        reader_run r(frame_by_hand(sequence));
        password_flag = 1;
        password_check = 0;
        EXPECT_TRUE(check_password("", 0));
        EXPECT_EQ(archive_key.length, 0u);
        bytes got;
        EXPECT_EQ(r.run([&] {
            for (size_t i = 0; i < sequence.size(); i++)
                got.push_back(read_byte());
        }), -1);
        EXPECT_TRUE(got == sequence);
    }
    {
        reader_run r(frame_by_hand(sequence, "x"));
        password_flag = 1;
        password_check = 0;
        EXPECT_TRUE(check_password("", 0));
        EXPECT_EQ(r.run([] { read_byte(); }), 1);
        EXPECT_EQ(r.box_text(), damaged_text);
    }
}

TEST(header_writer, the_header_holds_the_fields_and_a_masked_check_word)
{
    header_fields fields{1234567, "hello", "setup.exe", "pw", 2, 0x5A};
    uint8_t out[64];
    int32_t n = build_header(&fields, out, sizeof out);
    ASSERT_EQ(n, 4 + 6 + 10 + 3);
    EXPECT_EQ(std::memcmp(out, "\x87\xD6\x12\x00hello\0setup.exe\0\x5A", 21), 0);
    uint16_t word = (uint16_t)(out[21] | out[22] << 8);
    EXPECT_EQ(word ^ 0x5A5A, password_crc("pw", 2));
    // Another flag byte stores another word for the same password.
    fields.password_flag = 0x01;
    build_header(&fields, out, sizeof out);
    EXPECT_NE((uint16_t)(out[21] | out[22] << 8), word);
    EXPECT_EQ((out[21] | out[22] << 8) ^ 0x0101, password_crc("pw", 2));

    header_fields bare{7, "", "", nullptr, 0, 0};
    EXPECT_EQ(build_header(&bare, out, sizeof out), 7);
    EXPECT_EQ(std::memcmp(out, "\x07\0\0\0\0\0\0", 7), 0);
}

TEST(header_writer, refuses_what_a_reader_could_not_take)
{
    std::string long_program(run_after_limit + 1, 'p');
    header_fields refused[] = {
        {0, "", "", "", 0, 1},                         // empty password
        {0, "", "", "pw", 2, 0},                       // flag 0 with a password
        {0, "", long_program.c_str(), nullptr, 0, 0},  // program name over its limit
    };
    uint8_t out[512];
    for (auto &f : refused) {
        EXPECT_EQ(header_length(&f), -1);
        EXPECT_EQ(build_header(&f, out, sizeof out), -1);
    }
    header_fields fine{0, "message", "", nullptr, 0, 0};
    EXPECT_EQ(build_header(&fine, out, 5), -1); // does not fit
}

} // namespace
