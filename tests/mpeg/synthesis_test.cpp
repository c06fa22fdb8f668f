// Polyphase synthesis: conversion of window sums to samples, independence
// from earlier blocks after a reset, and agreement with the standard's
// matrixing and windowing computed directly in long double.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "mpeg/mpeg_decoder.h"
#include "mpeg/standard_tables.h"
#include "mpeg/synthesis.h"

namespace {

std::int16_t sampleAt(const std::vector<std::uint8_t>& pcm, std::size_t index) {
  return std::int16_t(std::uint16_t(pcm[2 * index] | (pcm[2 * index + 1] << 8)));
}

std::vector<float> randomBlocks(int blocks, float amplitude, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> value(-amplitude, amplitude);
  std::vector<float> samples(std::size_t(blocks) * 32);
  for (float& s : samples) s = value(random);
  return samples;
}

TEST(Synthesis, SumsAreTruncatedTowardZeroThenClipped) {
  EXPECT_EQ(mpeg::sumToSample(40000.7f), 32767);
  EXPECT_EQ(mpeg::sumToSample(-40000.7f), -32768);
  EXPECT_EQ(mpeg::sumToSample(1.9f), 1);
  EXPECT_EQ(mpeg::sumToSample(-1.9f), -1);
  EXPECT_EQ(mpeg::sumToSample(32766.99f), 32766);
  EXPECT_EQ(mpeg::sumToSample(-32767.5f), -32767);
  EXPECT_EQ(mpeg::sumToSample(1e30f), 32767);
  EXPECT_EQ(mpeg::sumToSample(-1e30f), -32768);
  EXPECT_EQ(mpeg::sumToSample(std::nanf("")), -32768);
}

// Every width of the windowing gives the same samples, the clipped ones too.
TEST(Synthesis, WindowingWidthsAgree) {
  std::mt19937 random(9);
  std::uniform_real_distribution<float> value(-60000.0f, 60000.0f);
  alignas(32) float rows[16][32];
  const float* terms[16];
  for (int i = 0; i < 16; ++i) terms[i] = rows[i];
  for (int round = 0; round < 200; ++round) {
    const float scale = round % 4 == 0 ? 1.0f : 0.05f;  // some sums beyond the 16-bit range
    for (auto& row : rows)
      for (float& v : row) v = value(random) * scale;
    std::int16_t portable[32];
    ASSERT_TRUE(mpeg::windowSamplesWithLanes(terms, portable, 1));
    for (int lanes : {4, 8}) {
      std::int16_t pcm[32];
      if (!mpeg::windowSamplesWithLanes(terms, pcm, lanes)) continue;  // not on this processor
      for (int j = 0; j < 32; ++j) ASSERT_EQ(pcm[j], portable[j]) << lanes << " " << j;
    }
  }
}

// The standard's synthesis, one channel: V = N S shifted into a 1024-value
// buffer, U gathered from it, windowed by D and summed.
struct DirectSynthesis {
  long double v[1024] = {};
  void block(const float* s, long double out[32]) {
    for (int i = 1023; i >= 64; --i) v[i] = v[i - 64];
    for (int i = 0; i < 64; ++i) {
      long double sum = 0;
      for (int k = 0; k < 32; ++k)
        sum += std::cos((16 + i) * (2 * k + 1) * 3.14159265358979323846264338L / 64) * s[k];
      v[i] = sum;
    }
    long double u[512];
    for (int i = 0; i < 8; ++i)
      for (int j = 0; j < 32; ++j) {
        u[i * 64 + j] = v[i * 128 + j];
        u[i * 64 + 32 + j] = v[i * 128 + 96 + j];
      }
    for (int j = 0; j < 32; ++j) {
      long double sum = 0;
      for (int i = 0; i < 16; ++i)
        sum += u[j + 32 * i] * (mpeg::kSynthesisWindowTimes65536[j + 32 * i] / 65536.0L);
      out[j] = sum;
    }
  }
};

TEST(Synthesis, EqualsTheStandardsFilterbank) {
  mpeg::SynthesisState state;
  mpeg::clearSynthesis(state);
  DirectSynthesis direct;
  const int blocks = 64;
  const std::vector<float> input = randomBlocks(blocks, 3000.0f, 7);
  std::vector<std::uint8_t> pcm(blocks * 32 * 2);
  mpeg::synthesizeChannel(state, 0, input.data(), blocks, pcm.data(), 1);
  int exact = 0, total = 0;
  for (int b = 0; b < blocks; ++b) {
    long double expected[32];
    direct.block(input.data() + 32 * b, expected);
    for (int j = 0; j < 32; ++j) {
      const long double e = expected[j];
      const int reference = e >= 32767 ? 32767 : e <= -32768 ? -32768 : int(e);
      const int ours = sampleAt(pcm, std::size_t(b * 32 + j));
      ASSERT_LE(std::abs(ours - reference), 1)
          << "block " << b << " sample " << j << " sum " << double(e);
      exact += ours == reference;
      ++total;
    }
  }
  // Single-precision matrixing differs from the exact sums by far less
  // than one step; only sums next to an integer may land on the other side.
  EXPECT_GT(exact, total * 98 / 100);
}

TEST(Synthesis, FullScaleSubbandGivesFullScaleOutput) {
  // A constant in subband 0 is a DC signal of about the same level.
  mpeg::SynthesisState state;
  mpeg::clearSynthesis(state);
  std::vector<float> input(40 * 32, 0.0f);
  for (int b = 0; b < 40; ++b) input[std::size_t(b) * 32] = 16384.0f;
  std::vector<std::uint8_t> pcm(40 * 32 * 2);
  mpeg::synthesizeChannel(state, 0, input.data(), 40, pcm.data(), 1);
  for (std::size_t i = 32 * 30; i < 32 * 40; ++i) EXPECT_NEAR(sampleAt(pcm, i), 16384, 164) << i;
}

TEST(Synthesis, AfterResetTheFirstBlockDependsOnlyOnItself) {
  auto decoder = std::make_unique<mpeg::MpegDecoder>();
  const std::vector<float> first = randomBlocks(1, 20000.0f, 1);
  const std::vector<float> noise = randomBlocks(30, 20000.0f, 2);
  std::vector<std::uint8_t> fresh(64), later(64), scratch(30 * 64);
  mpeg::resetSynthesis(*decoder);
  mpeg::synthesizeBlock(decoder->synthesis, 1, first.data(), 1, fresh.data(), 1);
  mpeg::synthesizeChannel(decoder->synthesis, 1, noise.data(), 30, scratch.data(), 1);
  mpeg::resetSynthesis(*decoder);
  mpeg::synthesizeBlock(decoder->synthesis, 1, first.data(), 1, later.data(), 1);
  EXPECT_EQ(fresh, later);
  EXPECT_EQ(decoder->synthesis.position[0], 0);
}

TEST(Synthesis, BlocksAtOnceEqualBlocksOneByOne) {
  mpeg::SynthesisState a, b;
  mpeg::clearSynthesis(a);
  mpeg::clearSynthesis(b);
  const std::vector<float> input = randomBlocks(18 * 3, 25000.0f, 3);
  std::vector<std::uint8_t> together(18 * 3 * 64), single(18 * 3 * 64);
  for (int granule = 0; granule < 3; ++granule)
    mpeg::synthesizeChannel(a, 0, input.data() + 18 * 32 * granule, 18,
                            together.data() + 18 * 64 * granule, 1);
  for (int block = 0; block < 54; ++block)
    mpeg::synthesizeBlock(b, 0, input.data() + 32 * block, 1, single.data() + 64 * block, 1);
  EXPECT_EQ(together, single);
}

// Four and eight blocks transformed at a time give the same samples, for
// Layer I (12 blocks), Layer II (36) and Layer III (18) block counts.
TEST(Synthesis, FourAndEightBlocksAtATimeAgree) {
  mpeg::SynthesisState four, eight;
  mpeg::clearSynthesis(four);
  mpeg::clearSynthesis(eight);
  const std::vector<float> input = randomBlocks(12 + 36 + 18 * 3, 30000.0f, 8);
  std::vector<std::uint8_t> a(input.size() * 2), b(input.size() * 2);
  std::size_t offset = 0;
  for (int blocks : {12, 36, 18, 18, 18}) {
    ASSERT_TRUE(mpeg::synthesizeChannelWithLanes(four, 0, input.data() + 32 * offset, blocks,
                                                 a.data() + 64 * offset, 1, 4));
    if (!mpeg::synthesizeChannelWithLanes(eight, 0, input.data() + 32 * offset, blocks,
                                          b.data() + 64 * offset, 1, 8))
      GTEST_SKIP() << "this processor has no AVX2";
    offset += std::size_t(blocks);
  }
  EXPECT_EQ(a, b);
  EXPECT_FALSE(mpeg::synthesizeChannelWithLanes(four, 0, input.data(), 18, a.data(), 1, 2));
}

TEST(Synthesis, TwoChannelsInterleaveWithTheirOwnHistory) {
  mpeg::SynthesisState state, left, right;
  mpeg::clearSynthesis(state);
  mpeg::clearSynthesis(left);
  mpeg::clearSynthesis(right);
  const std::vector<float> l = randomBlocks(18, 9000.0f, 4), r = randomBlocks(18, 9000.0f, 5);
  std::vector<std::uint8_t> both(18 * 32 * 4), onlyLeft(18 * 64), onlyRight(18 * 64);
  mpeg::synthesizeChannel(state, 0, l.data(), 18, both.data(), 2);
  mpeg::synthesizeChannel(state, 1, r.data(), 18, both.data() + 2, 2);
  mpeg::synthesizeChannel(left, 0, l.data(), 18, onlyLeft.data(), 1);
  mpeg::synthesizeChannel(right, 1, r.data(), 18, onlyRight.data(), 1);
  for (std::size_t i = 0; i < 18 * 32; ++i) {
    ASSERT_EQ(sampleAt(both, 2 * i), sampleAt(onlyLeft, i));
    ASSERT_EQ(sampleAt(both, 2 * i + 1), sampleAt(onlyRight, i));
  }
}

}  // namespace
