#include "pins/winding_ends.hpp"

#include <algorithm>
#include <set>

namespace flyback::pins {

using winding::Plan;
using winding::Role;
using winding::Winding;

namespace {

// A split winding's halves in series: the first from the pair's start to the
// junction, the second on to the pair's finish.
Ends HalfEnds(const Winding& w, Ends pair, int junction) {
    if (w.half == 1) return {pair.start, junction};
    if (w.half == 2) return {junction, pair.finish};
    return pair;
}

// A stack's return on the secondaries' first pin, each tap on the next: a
// section runs from its own tap down to the tap (or return) below it.
Ends StackedEnds(const std::vector<int>& stack, int output, int first) {
    const auto at = static_cast<int>(std::find(stack.begin(), stack.end(), output) - stack.begin());
    return {first + at + 1, first + at};
}

int FreePin(const std::set<int>& taken, int from) {
    while (taken.contains(from)) ++from;
    return from;
}

}  // namespace

std::vector<Ends> PinsOf(const Plan& plan, const Pins& pins) {
    const std::vector<int> stack = winding::StackOrder(plan);
    std::vector<Ends> pairs(plan.windings.size());
    std::set<int> taken = {pins.primary, pins.primary + 1};
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const Winding& w = plan.windings[i];
        if (w.role == Role::Primary) pairs[i] = {pins.primary, pins.primary + 1};
        if (w.role == Role::Bias) pairs[i] = {pins.bias, pins.bias + 1};
        if (w.role == Role::Secondary)
            pairs[i] = stack.empty()
                           ? Ends{pins.secondary + 2 * w.output, pins.secondary + 2 * w.output + 1}
                           : StackedEnds(stack, w.output, pins.secondary);
        taken.insert(pairs[i].start);
        taken.insert(pairs[i].finish);
    }
    // A junction on its own side: after the primary's pair, or after the
    // secondaries' pairs.
    int secondaries = pins.secondary;
    for (const Winding& w : plan.windings) {
        if (w.role == Role::Secondary)
            secondaries = std::max(secondaries, pins.secondary + 2 * w.output + 2);
    }
    const int primaryJunction = FreePin(taken, pins.primary + 2);
    const int secondaryJunction = FreePin(taken, secondaries);
    std::vector<Ends> ends(plan.windings.size());
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        const Winding& w = plan.windings[i];
        const int junction = w.role == Role::Secondary ? secondaryJunction : primaryJunction;
        ends[i] = HalfEnds(w, pairs[i], junction);
    }
    return ends;
}

}  // namespace flyback::pins
