// How fast the input decoder reads what a terminal sends: typed text, key
// sequences (whole, and a byte per read as over a slow link), random bytes,
// and a long bracketed paste.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tui/input/input_decoder.hpp"

namespace {

using tui::Decoded;
using tui::InputDecoder;

constexpr std::size_t READ = 4096;  // the most one read of the console returns

std::string repeated(std::string_view part, std::size_t size) {
  std::string s;
  while (s.size() < size) {
    s += part;
  }
  return s;
}

std::string random_bytes(std::size_t size) {
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string s(size, '\0');
  for (char& c : s) {
    c = static_cast<char>(byte(rng));
  }
  return s;
}

// Feeds `bytes` in reads of `read` bytes, as the event source would, and
// lets the last one settle.
void decode(benchmark::State& state, const std::string& bytes, std::size_t read) {
  InputDecoder decoder;
  std::vector<Decoded> out;
  std::size_t items = 0;
  for (auto _ : state) {
    for (std::size_t at = 0; at < bytes.size(); at += read) {
      decoder.feed(std::string_view(bytes).substr(at, read), out);
    }
    decoder.flush(out);
    benchmark::DoNotOptimize(out.data());
    items += out.size();
    out.clear();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
  state.SetItemsProcessed(static_cast<std::int64_t>(items));
}

const std::string TYPED =
    repeated("The quick brown fox, \xc3\xa9t\xc3\xa9 \xf0\x9f\x98\x80!\r", READ);
const std::string KEYS =
    repeated("\x1b[A\x1b[1;5B\x1bOC\x1b[99;5u\x1b[119;1:3u\x1b[<0;10;5M\x1b[15~", READ);

void BM_TypedText(benchmark::State& state) {
  decode(state, TYPED, READ);
}
BENCHMARK(BM_TypedText);

void BM_KeySequences(benchmark::State& state) {
  decode(state, KEYS, READ);
}
BENCHMARK(BM_KeySequences);

void BM_KeySequencesByteByByte(benchmark::State& state) {
  decode(state, KEYS, 1);
}
BENCHMARK(BM_KeySequencesByteByByte);

void BM_RandomBytes(benchmark::State& state) {
  decode(state, random_bytes(64 * READ), READ);
}
BENCHMARK(BM_RandomBytes);

void BM_LongPaste(benchmark::State& state) {
  const std::string text = repeated("some pasted line of text, with \xc3\xa9\r\n", 1 << 20);
  decode(state, "\x1b[200~" + text.substr(0, InputDecoder::MAX_PASTE - 1) + "\x1b[201~", READ);
}
BENCHMARK(BM_LongPaste);

}  // namespace
