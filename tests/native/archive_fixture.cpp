#include "tests/native/archive_fixture.h"
#include <map>
#include <stdexcept>
#include "archive/archive_file.h"

namespace {

/* All weights 1: the leaves in symbol order, and 256 merges of the last two nodes, the
 * new node going behind the last node at least as heavy. */
std::map<int, std::string> initial_codes()
{
    struct node {
        int weight, symbol, left, right;
    };
    std::vector<node> store;
    std::vector<int> list;
    for (int s = 0; s <= 256; s++) {
        store.push_back({1, s, -1, -1});
        list.push_back(s);
    }
    while (list.size() > 1) {
        int a = list[list.size() - 2], b = list.back();
        list.resize(list.size() - 2);
        store.push_back({store[a].weight + store[b].weight, -1, a, b});
        int n = (int)store.size() - 1;
        size_t at = 0;
        for (size_t i = 0; i < list.size(); i++)
            if (store[list[i]].weight >= store[n].weight)
                at = i + 1;
        list.insert(list.begin() + (long)at, n);
    }
    std::map<int, std::string> codes;
    std::vector<std::pair<int, std::string>> todo = {{list[0], ""}};
    while (!todo.empty()) {
        auto [n, code] = todo.back();
        todo.pop_back();
        if (store[n].left < 0) {
            codes[store[n].symbol] = code;
        } else {
            todo.push_back({store[n].left, code + "0"});
            todo.push_back({store[n].right, code + "1"});
        }
    }
    return codes;
}

} // namespace

std::string initial_code(int symbol)
{
    static const std::map<int, std::string> codes = initial_codes();
    return codes.at(symbol);
}

void bit_packer::put(const std::string &bits)
{
    for (char c : bits) {
        if (used == 0)
            out.push_back(0);
        if (c == '1')
            out.back() |= (uint8_t)(1u << used);
        used = (used + 1) % 8;
    }
}

void bit_packer::put_number(uint32_t value, int bits)
{
    for (int k = 0; k < bits; k++)
        put((value >> k) & 1 ? "1" : "0");
}

void bit_packer::put_ternary(uint32_t value)
{
    std::string digits;
    while (value > 0) {
        uint32_t d = (value - 1) % 3;
        digits.insert(digits.begin(), (char)('0' + d));
        value = (value - 1) / 3;
    }
    for (char c : digits) {
        int d = c - '0';
        put(d & 1 ? "1" : "0");
        put(d & 2 ? "1" : "0");
    }
    put("11");
}

bytes bit_packer::finish()
{
    used = 0;
    bytes done;
    done.swap(out);
    return done;
}

bytes literal_data(const bytes &content)
{
    if (content.size() > 256)
        throw std::invalid_argument("more literals than the initial tree codes");
    bit_packer bits;
    for (uint8_t b : content)
        bits.put(initial_code(b));
    return bits.finish();
}

void entry_sequence::name(const std::string &n)
{
    seq.insert(seq.end(), n.begin(), n.end());
    seq.push_back(0);
}

void entry_sequence::fields(int32_t size, uint64_t write_time)
{
    uint64_t times[3] = {write_time, write_time, write_time};
    for (uint64_t t : times)
        for (int i = 0; i < 8; i++)
            seq.push_back((uint8_t)(t >> (8 * i)));
    for (int i = 0; i < 4; i++)
        seq.push_back((uint8_t)((uint32_t)size >> (8 * i)));
}

void entry_sequence::file(const std::string &n, const bytes &content, uint64_t write_time)
{
    file_coded(n, (int32_t)content.size(), literal_data(content), write_time);
}

void entry_sequence::file_coded(const std::string &n, int32_t size, const bytes &coded, uint64_t write_time)
{
    name(n);
    fields(size, write_time);
    raw(coded);
}

uint16_t fixture_crc(const bytes &b)
{
    uint32_t crc = 0;
    for (uint8_t byte : b)
        for (int bit = 0; bit < 8; bit++) {
            crc ^= (uint32_t)((byte >> (7 - bit)) & 1) << 15;
            crc = (crc & 0x8000) ? ((crc << 1) ^ 0x8005) & 0xFFFF : (crc << 1) & 0xFFFF;
        }
    return (uint16_t)crc;
}

bytes archive_file_bytes(const bytes &sequence, const std::string &key)
{
    bytes a = {0, 0, 0, 0, 0, 0};
    if (key.empty()) {
        a.push_back(0);
    } else {
        bytes k(key.begin(), key.end());
        uint16_t check = fixture_crc(k);
        a.push_back(1); // flag 1: the check word is stored XOR 0x0101
        a.push_back((uint8_t)(check ^ 0x01));
        a.push_back((uint8_t)((check >> 8) ^ 0x01));
    }
    for (size_t at = 0; at < sequence.size(); at += 4096) {
        bytes block(sequence.begin() + (long)at,
                    sequence.begin() + (long)std::min(sequence.size(), at + 4096));
        uint16_t crc = fixture_crc(block);
        for (size_t i = 0; i < block.size() && !key.empty(); i++)
            block[i] ^= (uint8_t)key[(at + i) % key.size()];
        a.insert(a.end(), block.begin(), block.end());
        a.push_back((uint8_t)(crc >> 8));
        a.push_back((uint8_t)crc);
    }
    bytes file = stub_with(a);
    uint32_t size = (uint32_t)file.size();
    for (int i = 0; i < 4; i++)
        file[archive_offset + i] = (uint8_t)(size >> (8 * i));
    return file;
}
