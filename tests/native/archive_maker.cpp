#include "tests/native/archive_maker.h"
#include <memory>
#include <stdexcept>
#include "archive/archive_file.h"
#include "writer/block_writer.h"
#include "writer/entry_encoder.h"
#include "writer/header_writer.h"

namespace {

void append(void *context, const uint8_t *data, size_t count)
{
    static_cast<bytes *>(context)->insert(static_cast<bytes *>(context)->end(), data, data + count);
}

bool is_folder(const std::string &name)
{
    return name == "." || (name.size() >= 2 && name.compare(name.size() - 2, 2, "\\.") == 0);
}

} // namespace

uint64_t filetime_of(int64_t unix_seconds)
{
    return (uint64_t)(unix_seconds + 11644473600LL) * 10000000u;
}

bytes make_archive(const std::vector<archive_entry> &entries, const archive_options &options)
{
    header_fields fields{};
    fields.message_text = options.message.c_str();
    fields.run_after = options.run_after.c_str();
    if (!options.password.empty()) {
        fields.password = options.password.c_str();
        fields.password_length = (uint32_t)options.password.size();
        fields.password_flag = options.password_flag;
    }
    bytes out(1 << 16);
    int32_t length = build_header(&fields, out.data(), (uint32_t)out.size());
    if (length < 0)
        throw std::invalid_argument("header refused");
    out.resize((size_t)length);

    auto blocks = std::make_unique<block_writer>();
    block_writer_start(blocks.get(), byte_sink{append, &out}, fields.password, fields.password_length);
    auto encoder = std::make_unique<entry_encoder>();
    for (auto &e : entries) {
        block_writer_put(blocks.get(), (const uint8_t *)e.name.c_str(), e.name.size() + 1);
        if (is_folder(e.name))
            continue;
        uint8_t record[28];
        for (int t = 0; t < 3; t++)
            for (int i = 0; i < 8; i++)
                record[8 * t + i] = (uint8_t)(e.times[t] >> (8 * i));
        uint32_t size = e.raw ? (uint32_t)e.size : (uint32_t)e.content.size();
        for (int i = 0; i < 4; i++)
            record[24 + i] = (uint8_t)(size >> (8 * i));
        block_writer_put(blocks.get(), record, sizeof record);
        if (e.raw) {
            block_writer_put(blocks.get(), e.coded.data(), e.coded.size());
            continue;
        }
        entry_encoder_start(encoder.get(), (uint32_t)e.content.size(), block_writer_sink(blocks.get()));
        entry_encoder_feed(encoder.get(), e.content.data(), e.content.size());
        entry_encoder_finish(encoder.get());
    }
    block_writer_finish(blocks.get());
    put_expected_size(out.data(), (uint32_t)(archive_offset + out.size()));
    return out;
}
