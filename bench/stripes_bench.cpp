// The stripe table fill, reference and fast: the wait before the window opens.
#include "backdrop/stripe_bits.h"
#include "backdrop/stripes.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void BM_StripeFillReference(benchmark::State& state)
{
    std::vector<std::uint8_t> table(kStripeBytes);
    for (auto _ : state) {
        fill_stripe_table(table.data());
        benchmark::DoNotOptimize(table.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StripeFillReference)->Unit(benchmark::kMillisecond)->UseRealTime();

// Wall-clock time: the fill runs on two threads.
void BM_StripeFillFast(benchmark::State& state)
{
    std::vector<std::uint8_t> table(kStripeBytes);
    for (auto _ : state) {
        fill_stripe_table_fast(table.data());
        benchmark::DoNotOptimize(table.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StripeFillFast)->Unit(benchmark::kMillisecond)->UseRealTime();

// The packed copy the fast backdrop reads, built right after the fill at start-up.
void BM_StripePack(benchmark::State& state)
{
    std::vector<std::uint8_t> table(kStripeBytes);
    fill_stripe_table_fast(table.data());
    std::vector<std::uint64_t> bits(kStripeBitsWords);
    for (auto _ : state) {
        pack_stripe_table(table.data(), bits.data());
        benchmark::DoNotOptimize(bits.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StripePack)->Unit(benchmark::kMillisecond);

}  // namespace
