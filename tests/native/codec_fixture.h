// Helpers for the tests of the archive stream, the decoder and the encoder: framing bytes
// into blocks, coding with the encoder, and running the reader over a file of blocks.
#ifndef QM_CODEC_FIXTURE_H
#define QM_CODEC_FIXTURE_H

#include <memory>
#include <string>
#include <vector>
#include "archive/archive_file.h"
#include "archive/decoder.h"
#include "archive/header.h"
#include "archive/input_stream.h"
#include "archive/password.h"
#include "extract/output_file.h"
#include "extract/output_writer.h"
#include "tests/native/temp_folder.h"
#include "tests/native/test_host.h"
#include "writer/block_writer.h"
#include "writer/entry_encoder.h"

inline void append_to(void *context, const uint8_t *data, size_t count)
{
    auto *out = static_cast<bytes *>(context);
    out->insert(out->end(), data, data + count);
}

inline byte_sink sink_into(bytes &out)
{
    return byte_sink{append_to, &out};
}

// The coded data of one entry, fed in pieces of the given size (0: all at once).
inline bytes encode(const bytes &data, size_t piece = 0)
{
    auto encoder = std::make_unique<entry_encoder>();
    bytes coded;
    entry_encoder_start(encoder.get(), (uint32_t)data.size(), sink_into(coded));
    if (piece == 0)
        piece = data.size() + 1;
    for (size_t at = 0; at < data.size(); at += piece)
        entry_encoder_feed(encoder.get(), data.data() + at, std::min(piece, data.size() - at));
    entry_encoder_finish(encoder.get());
    return coded;
}

// An entry sequence framed into blocks, keyed with the password when one is given.
inline bytes frame(const bytes &sequence, const std::string &password = "")
{
    auto writer = std::make_unique<block_writer>();
    bytes out;
    block_writer_start(writer.get(), sink_into(out), password.empty() ? nullptr : password.data(),
                       (uint32_t)password.size());
    block_writer_put(writer.get(), sequence.data(), sequence.size());
    block_writer_finish(writer.get());
    return out;
}

// A run of the reader over a file of blocks: the archive stream opened at its start, no
// password unless one is accepted, the output into a file of the folder.
struct reader_run {
    temp_folder dir;
    std::string output_path = dir.at("out.bin");

    explicit reader_run(const bytes &blocks)
    {
        reset_test_host();
        std::string path = dir.write("archive.bin", blocks);
        assign_file(&archive_file, path.c_str());
        open_mode = 0;
        open_existing(&archive_file, 1);
        take_status();
        reset_input_stream();
        password_flag = 0;
        password_check = 0;
        archive_key.length = 0;
        cancel_flag = 0;
        skip_output = 0;
    }
    ~reader_run()
    {
        close_file(&archive_file);
        close_file(&output_file);
        take_status();
        archive_file = file_record{};
        output_file = file_record{};
        password_flag = 0;
        archive_key.length = 0;
        skip_output = 0;
    }
    void accept_password(const std::string &password)
    {
        password_flag = 1;
        password_check = password_crc(password.data(), (uint32_t)password.size());
        check_password(password.data(), (uint32_t)password.size());
    }
    void create_output()
    {
        assign_file(&output_file, output_path.c_str());
        create_file(&output_file, 1);
        take_status();
    }
    // Runs body; the exit code of a stop, or -1 when it returned.
    template <typename F> int run(F body)
    {
        static F *current;
        current = &body;
        return run_until_stop([](void *) { (*current)(); }, nullptr);
    }
    // Decodes one entry of this size into the output file and flushes it.
    int decode(int32_t size)
    {
        create_output();
        return run([&] {
            decode_entry(size);
            flush_output();
        });
    }
    bytes output() const { return dir.read("out.bin"); }
    std::string box_text(int i = 0) const { return host_record.box[i].text; }
};

inline const char damaged_text[] = "ファイルが壊れています。";
inline const char read_failure_text[] = "ファイルの読み込みに失敗しました。";

#endif
