#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "comlite/block_cache.h"
#include "comlite/bstr.h"
#include "comlite/hresult.h"
#include "comlite/safearray.h"

namespace {

std::u16string pattern(std::size_t length, char16_t seed) {
  std::u16string s(length, u'\0');
  for (std::size_t i = 0; i < length; ++i) s[i] = static_cast<char16_t>(seed + i % 50);
  return s;
}

}  // namespace

// Strings and vectors of every size class are freed in a shuffled order, partly on another
// thread, and made again: each keeps its own length and characters, none writes into another.
TEST(BlockCache, reused_blocks_never_overlap_or_mix_across_threads) {
  std::mt19937 random(7);
  std::vector<std::size_t> lengths;
  for (std::size_t n : {0, 1, 5, 20, 21, 50, 120, 250, 500, 2000})
    for (int copies = 0; copies < 8; ++copies) lengths.push_back(n);
  for (int round = 0; round < 3; ++round) {
    std::vector<BSTR> strings;
    std::vector<SAFEARRAY*> arrays;
    for (std::size_t k = 0; k < lengths.size(); ++k) {
      const auto text = pattern(lengths[k], static_cast<char16_t>(u'A' + k % 26));
      strings.push_back(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
      arrays.push_back(SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(lengths[k])));
      std::fill_n(static_cast<double*>(arrays.back()->pvData), lengths[k], double(k));
    }
    for (std::size_t k = 0; k < lengths.size(); ++k) {
      const auto text = pattern(lengths[k], static_cast<char16_t>(u'A' + k % 26));
      ASSERT_EQ(comlite::bstrView(strings[k]), text) << k;
      const auto* data = static_cast<const double*>(arrays[k]->pvData);
      ASSERT_EQ(std::count(data, data + lengths[k], double(k)), long(lengths[k])) << k;
    }
    std::vector<std::size_t> order(lengths.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::shuffle(order.begin(), order.end(), random);
    const std::size_t half = order.size() / 2;
    std::thread other([&] {
      for (std::size_t k = 0; k < half; ++k) SysFreeString(strings[order[k]]);
    });
    for (std::size_t k = half; k < order.size(); ++k) SysFreeString(strings[order[k]]);
    other.join();
    for (SAFEARRAY* a : arrays) ASSERT_EQ(SafeArrayDestroy(a), S_OK);
  }
}

// A block taken back from the cache for a larger request of its class still holds it: sizes are
// asked for in rising order, each after freeing the one before.
TEST(BlockCache, a_reused_block_holds_every_size_of_its_class) {
  void* previous = nullptr;
  for (std::size_t n = 0; n <= 1100; ++n) {
    comlite::detail::freeBlock(previous);
    previous = comlite::detail::allocBlock(n);
    ASSERT_NE(previous, nullptr);
    // The cache keeps a 16-byte header before the block.
    ASSERT_GE(malloc_usable_size(static_cast<char*>(previous) - 16), n + 16) << n;
  }
  comlite::detail::freeBlock(previous);
}
