#include "pkgextract/tests/archive_writer.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory_resource>
#include <stdexcept>

#include "codec/bwt2.h"
#include "codec/crc32.h"
#include "codec/package_entry.h"
#include "pkgextract/archive_input.h"
#include "pkgextract/block_reader.h"
#include "pkgextract/key_cipher.h"
#include "pkgextract/text_carrier.h"

namespace pkgx::writer {
namespace {

void put_le32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A printable character whose low six bits are `v`.
char check_character(std::uint32_t v) {
  v &= 0x3F;
  return static_cast<char>(v < 32 ? v | 0x40 : v);
}

char value_character(std::uint32_t v) { return static_cast<char>(32 + (v & 0x3F)); }

void unit_to_text(const std::uint8_t* b, char* out) {
  for (std::size_t g = 0; g < 21; ++g) {
    const std::uint8_t x = b[3 * g], y = b[3 * g + 1], z = b[3 * g + 2];
    out[4 * g] = value_character(x >> 2);
    out[4 * g + 1] = value_character((x & 3) | (y >> 4) << 2);
    out[4 * g + 2] = value_character((y & 0x0F) | (z >> 6) << 4);
    out[4 * g + 3] = value_character(z & 0x3F);
  }
  out[84] = value_character(b[63] >> 2);
  out[85] = value_character(b[63] & 3);
  out[86] = out[87] = value_character(0);
}

}  // namespace

Bytes entries_of(const std::vector<FileItem>& files) {
  Bytes out;
  for (const auto& f : files)
    if (!codec::append_file_entries(out, f.name, f.time_stamp, f.contents))
      throw std::runtime_error("cannot describe " + f.name + " as entries");
  return out;
}

Bytes make_block(std::span<const std::uint8_t> block) {
  Bytes out(std::begin(kBlockMagic), std::end(kBlockMagic));
  codec::VectorSink sink(out);
  if (!codec::encode_block(block, sink, std::pmr::new_delete_resource()))
    throw std::runtime_error("block too long");
  put_le32(out, codec::crc32(block));
  return out;
}

Bytes blocks_of(std::span<const std::uint8_t> entries, std::size_t block_size) {
  Bytes out;
  std::size_t start = 0;
  while (start < entries.size()) {
    std::size_t end = start;
    codec::EntryWalker walker(entries.subspan(start));
    while (auto e = walker.next()) {
      if (end > start && end - start + e->size > block_size) break;
      end += e->size;
    }
    if (end == start) throw std::runtime_error("entries do not walk");
    const Bytes block = make_block(entries.subspan(start, end - start));
    out.insert(out.end(), block.begin(), block.end());
    start = end;
  }
  return out;
}

Bytes pad_to_units(std::span<const std::uint8_t> bytes) {
  Bytes out(bytes.begin(), bytes.end());
  out.resize((out.size() + kCipherUnit - 1) / kCipherUnit * kCipherUnit, 0);
  return out;
}

Bytes encipher(std::span<const std::uint8_t> plain, const std::string& key) {
  Bytes lead_in(kCipherUnit);
  for (std::size_t i = 0; i < lead_in.size(); ++i) lead_in[i] = static_cast<std::uint8_t>(i * 37 + 5);
  lead_in.insert(lead_in.end(), plain.begin(), plain.end());
  Bytes out = pad_to_units(lead_in);
  KeyCipher cipher(key);
  for (std::size_t at = 0; at < out.size(); at += kCipherUnit)
    cipher.encipher(std::span(out).subspan(at).first<kCipherUnit>());
  return out;
}

std::string to_text(std::span<const std::uint8_t> units, std::size_t units_per_line) {
  if (units.size() % kTextUnitBytes != 0 || units_per_line == 0)
    throw std::runtime_error("text carries whole units");
  std::string out;
  out.reserve(units.size() / 64 * 88 + units.size() / 64 / units_per_line * 10 + 16);
  std::uint32_t checksum = 0;
  long line = 1;
  const std::size_t count = units.size() / kTextUnitBytes;
  for (std::size_t u = 0; u < count; ++u) {
    if (u > 0 && u % units_per_line == 0) {
      checksum &= 0xFFF;
      ++line;
      char header[kLineHeaderSize];
      line_number_digits(line, header);
      header[5] = ':';
      header[6] = check_character((checksum & 0x3F) ^ kCheckMask1);
      header[7] = check_character(((checksum >> 6) & 0x3F) ^ kCheckMask2);
      checksum = 0;
      out += "\r\n";
      out.append(header, kLineHeaderSize);
    }
    char unit[kTextUnit];
    unit_to_text(units.data() + u * kTextUnitBytes, unit);
    checksum = add_unit_to_checksum(static_cast<std::uint16_t>(checksum),
                                    std::span<const char, kTextUnit>(unit, kTextUnit));
    out.append(unit, kTextUnit);
  }
  out += "\r\n";
  return out;
}

std::vector<Bytes> split_volumes(std::span<const std::uint8_t> payload, std::size_t count) {
  std::vector<Bytes> volumes;
  const std::size_t part = (payload.size() + count - 1) / count;
  for (std::size_t v = 0; v < count; ++v) {
    Bytes out = {kVolumeMagic0, kVolumeMagic1, static_cast<std::uint8_t>(v + 1),
                 static_cast<std::uint8_t>((v + 1) >> 8)};
    put_le32(out, static_cast<std::uint32_t>(payload.size()));
    out.resize(kVolumeHeaderSize, 0);
    const std::size_t start = std::min(payload.size(), v * part);
    const std::size_t end = std::min(payload.size(), start + part);
    out.insert(out.end(), payload.begin() + static_cast<std::ptrdiff_t>(start),
               payload.begin() + static_cast<std::ptrdiff_t>(end));
    volumes.push_back(std::move(out));
  }
  return volumes;
}

std::vector<Bytes> build_archive(const std::vector<FileItem>& files, const Options& options) {
  Bytes payload = blocks_of(entries_of(files), options.block_size);
  if (options.key) payload = encipher(payload, *options.key);
  if (options.text_units_per_line) {
    const std::string text = to_text(pad_to_units(payload), *options.text_units_per_line);
    payload.assign(text.begin(), text.end());
  }
  if (options.volumes == 0) return {payload};
  return split_volumes(payload, options.volumes);
}

std::vector<FileItem> read_tree(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  std::vector<FileItem> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    FileItem item;
    item.name = fs::relative(entry.path(), root).generic_string();
    std::ifstream in(entry.path(), std::ios::binary);
    item.contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    struct stat st {};
    if (::stat(entry.path().c_str(), &st) == 0) item.time_stamp = static_cast<std::uint32_t>(st.st_mtime);
    files.push_back(std::move(item));
  }
  std::sort(files.begin(), files.end(),
            [](const FileItem& a, const FileItem& b) { return a.name < b.name; });
  return files;
}

void write_bytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace pkgx::writer
