#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "numtext/run_calculation.hpp"

// A fuzzer's input as six input texts, the way the press fuzzers read it, so
// that they share their seeds: each of the first five ends at a backslash
// followed by another byte ("\\" is one backslash), as libFuzzer's
// FuzzedDataProvider reads a random-length string; the sixth is the rest.
// Written out so that the g++ builds, which lack that header, read the same.
struct SixTexts {
    std::array<std::string, 6> texts;
    flyback::numtext::InputTexts inputs;

    SixTexts(const std::uint8_t* data, std::size_t size) {
        std::size_t at = 0;
        for (int i = 0; i < 5; ++i) texts[i] = NextText(data, size, at);
        texts[5].assign(reinterpret_cast<const char*>(data) + at, size - at);
        inputs = flyback::numtext::ViewsOf(texts);
    }

  private:
    static std::string NextText(const std::uint8_t* data, std::size_t size, std::size_t& at) {
        std::string text;
        while (at < size) {
            char next = static_cast<char>(data[at++]);
            if (next == '\\' && at < size) {
                next = static_cast<char>(data[at++]);
                if (next != '\\') break;
            }
            text += next;
        }
        return text;
    }
};
