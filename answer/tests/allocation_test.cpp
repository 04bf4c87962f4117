// Answering --jsonl lines allocates nothing in the steady state: the count of
// heap allocations does not grow with the number of lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <sstream>
#include <streambuf>
#include <string>

#include "answer/json_lines.hpp"

namespace {

std::size_t allocations = 0;

// Takes whatever is written and keeps none of it.
class DiscardingBuffer : public std::streambuf {
  protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

std::size_t AllocationsToAnswer(int lines) {
    std::string input;
    for (int i = 0; i < lines; ++i) {
        input += i % 50 == 25 ? R"(["60","368","200","","75","5"])"  // a fault, now and then
                              : R"(["12.5","390","120","65kHz","82","3.3"])";
        input += '\n';
    }
    std::istringstream in(input);
    DiscardingBuffer discard;
    std::ostream out(&discard);
    const std::size_t before = allocations;
    flyback::answer::AnswerJsonLines(in, out);
    return allocations - before;
}

TEST(AllocationTest, AnsweringMoreLinesAllocatesNoMore) {
    AllocationsToAnswer(100);  // what is made once, on first use
    const std::size_t few = AllocationsToAnswer(100);
    EXPECT_EQ(AllocationsToAnswer(10000), few);
}

}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
