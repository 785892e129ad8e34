// Writes the deterministic music-like input of the timing scripts.
//   make_bench_input OUT.mp3 SECONDS RATE CHANNELS KBPS
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "tests/support/FixtureMaker.h"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s OUT.mp3 SECONDS RATE CHANNELS KBPS\n", argv[0]);
    return 2;
  }
  snipster::test::Mp3Spec spec;
  spec.seconds = std::atof(argv[2]);
  spec.sampleRate = static_cast<uint32_t>(std::atoi(argv[3]));
  spec.channels = static_cast<uint32_t>(std::atoi(argv[4]));
  spec.bitRate = static_cast<uint32_t>(std::atoi(argv[5]));
  try {
    snipster::test::MakeMp3(argv[1], spec);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
