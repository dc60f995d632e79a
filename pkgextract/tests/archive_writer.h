// Writes package archives in every combination of their layers, for the
// tests, the benchmark and the sample: entries cut from files, grouped into
// blocks (magic, Bwt2 stream, CRC-32), optionally enciphered with a key,
// optionally carried as DidivIziv text, optionally split into volumes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pkgx::writer {

using Bytes = std::vector<std::uint8_t>;

struct FileItem {
  std::string name;  // as stored: "/" between directories
  Bytes contents;
  std::uint32_t time_stamp = 0;
};

// The entries of every file, one after another.
Bytes entries_of(const std::vector<FileItem>& files);

// One block: magic, the Bwt2 stream of `block`, its CRC-32.
Bytes make_block(std::span<const std::uint8_t> block);

// Blocks over a run of entries, each holding whole entries and at most
// `block_size` bytes of them (but at least one entry).
Bytes blocks_of(std::span<const std::uint8_t> entries, std::size_t block_size);

// A 64-byte lead-in, then `plain`, filled with zeros to whole 64-byte units,
// enciphered with `key`.
Bytes encipher(std::span<const std::uint8_t> plain, const std::string& key);

// Fills with zeros to whole 64-byte units (what the text carrier needs).
Bytes pad_to_units(std::span<const std::uint8_t> bytes);

// DidivIziv text of `units` (a multiple of 64 bytes), `units_per_line`
// units to a line; the first line without its header, every line ended by
// CR LF.
std::string to_text(std::span<const std::uint8_t> units, std::size_t units_per_line);

// Splits a payload into `count` volumes, each behind its 16-byte header
// carrying its number and the payload's total size.
std::vector<Bytes> split_volumes(std::span<const std::uint8_t> payload, std::size_t count);

struct Options {
  std::size_t block_size = 900000;
  std::optional<std::string> key;
  std::optional<std::size_t> text_units_per_line;  // DidivIziv when set
  std::size_t volumes = 0;                         // 0: no volume header
};

// The archive's files: one, or one per volume.
std::vector<Bytes> build_archive(const std::vector<FileItem>& files, const Options& options);

// The regular files under `root`, sorted by name, with their modification
// times; names relative to `root`.
std::vector<FileItem> read_tree(const std::filesystem::path& root);

void write_bytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace pkgx::writer
