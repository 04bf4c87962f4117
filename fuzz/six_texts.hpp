#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <string>

#include "numtext/run_calculation.hpp"

// A fuzzer's input as six input texts, the way both press fuzzers read it, so
// that they share their seeds.
struct SixTexts {
    std::array<std::string, 6> texts;
    flyback::numtext::InputTexts inputs;

    SixTexts(const std::uint8_t* data, std::size_t size) {
        FuzzedDataProvider provider(data, size);
        for (int i = 0; i < 5; ++i) texts[i] = provider.ConsumeRandomLengthString();
        texts[5] = provider.ConsumeRemainingBytesAsString();
        inputs = flyback::numtext::ViewsOf(texts);
    }
};
