// The peer every benchmark measures against: zlib level 9, raw deflate.
#ifndef QM_ZLIB_PEER_H
#define QM_ZLIB_PEER_H

#include <cstdint>
#include <vector>
#include <zlib.h>

inline std::vector<uint8_t> deflate_raw(const std::vector<uint8_t> &data, int window_bits)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -window_bits, 8, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> out(deflateBound(&z, data.size()));
    z.next_in = const_cast<Bytef *>(data.data());
    z.avail_in = (uInt)data.size();
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

#endif
