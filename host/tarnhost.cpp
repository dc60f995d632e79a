// tarnhost: runs subroutines of an add-on library from a shell, through the
// substitute host, and prints what each call did as one JSON line.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/tarnhost_options.h"

namespace {

bool read_file(const std::string& path, host::Bytes& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool write_file(const std::string& path, const host::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string json_string(const std::string& text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string json_array(const std::vector<std::int32_t>& values) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ",";
    out += std::to_string(values[i]);
  }
  return out + "]";
}

int fail(const std::string& message) {
  std::cerr << "tarnhost: " << message << "\n";
  return 2;
}

// Turns one call line into the call's inputs; false with a message when a
// file cannot be read.
bool prepare(const host::CallLine& line, host::CallSpec& spec, std::string& error) {
  if (line.value) spec.value = host::Bytes(line.value->begin(), line.value->end());
  if (line.value_file) {
    host::Bytes bytes;
    if (!read_file(*line.value_file, bytes)) return error = "cannot read " + *line.value_file, false;
    spec.value = std::move(bytes);
  }
  spec.integer = line.integer;
  if (line.stream_file && !read_file(*line.stream_file, spec.stream))
    return error = "cannot read " + *line.stream_file, false;
  if (line.buffer_file) {
    host::Bytes bytes;
    if (!read_file(*line.buffer_file, bytes)) return error = "cannot read " + *line.buffer_file, false;
    spec.buffer = std::move(bytes);
  } else if (line.buffer_capacity) {
    spec.buffer = host::Bytes{};
  }
  spec.buffer_capacity = line.buffer_capacity.value_or(0);
  if (line.further) spec.further = *line.further;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const auto parsed = host::parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto* message = std::get_if<std::string>(&parsed)) {
    std::cerr << "tarnhost: " << *message << "\n" << host::kTarnhostUsage;
    return 2;
  }
  const auto& command = std::get<host::CommandLine>(parsed);
  if (command.help) {
    std::cout << host::kTarnhostUsage;
    return 0;
  }

  host::Host host;
  try {
    host.load(command.library);
  } catch (const host::LoadError& e) {
    return fail(std::string("cannot load ") + e.what());
  }
  // Every call is checked before the first one runs. An input that an
  // earlier call's --out writes is read only when its call comes.
  std::set<std::string> written_before;
  for (const auto& line : command.calls) {
    if (!host.offers(line.subroutine))
      return fail(command.library + " does not offer " + line.subroutine);
    for (const auto* input : {&line.value_file, &line.stream_file, &line.buffer_file})
      if (*input && !written_before.count(**input) && !std::ifstream(**input, std::ios::binary))
        return fail("cannot read " + **input);
    if (line.out_file) written_before.insert(*line.out_file);
  }

  for (const auto& line : command.calls) {
    host::CallSpec spec;
    std::string error;
    if (!prepare(line, spec, error)) return fail(error);
    const host::CallOutcome outcome = host.run(*host.number_of(line.subroutine), std::move(spec));
    for (const auto& name : outcome.file_errors)
      std::cerr << "tarnhost: " << line.subroutine << ": file error: " << name << "\n";
    for (const auto& fault : outcome.memory_faults)
      std::cerr << "tarnhost: " << line.subroutine << ": memory fault: " << fault << "\n";
    if (line.out_file && !write_file(*line.out_file, outcome.out))
      return fail("cannot write " + *line.out_file);
    std::ostringstream json;
    json << "{\"call\":" << json_string(line.subroutine) << ",\"status\":" << outcome.status
         << ",\"errors\":" << json_array(outcome.errors)
         << ",\"numeric\":" << json_array(outcome.numeric)
         << ",\"handoffs\":" << outcome.handoffs.size() << ",\"int\":" << outcome.integer
         << ",\"int2\":" << outcome.integer2 << ",\"leaked\":" << outcome.leaked << "}";
    std::cout << json.str() << "\n" << std::flush;
  }
  return 0;
}
