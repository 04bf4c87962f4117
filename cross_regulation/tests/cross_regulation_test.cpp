#include "cross_regulation/cross_regulation.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "catalogue/catalogue.hpp"
#include "cross_regulation/steady_state.hpp"
#include "record/design_record.hpp"
#include "winding/leakage.hpp"

namespace flyback::cross_regulation {
namespace {

std::optional<winding::Plan> ThreeOutputs() {
    winding::Options options;
    options.choices.outputs = {{5, 2, 0.5}, {12, 1.2, 0.7}, {30, 0.02, 0.7}};
    auto planned = winding::PlanWinding(
        record::RecordPress({"25", "375", "100", "65", "80", "5"}), options, catalogue::BuiltIn());
    return planned.plan;
}

TEST(CrossRegulationTest, Scratch) {
    const auto plan = ThreeOutputs();
    ASSERT_TRUE(plan);
    const auto start = std::chrono::steady_clock::now();
    const auto r = CrossRegulation(*plan);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(r);
    std::printf("%.1f ms\n", ms);
    for (const auto& c : r->corners) {
        for (std::size_t k = 0; k < c.full.size(); ++k) std::printf("%s ", c.full[k] ? "F" : "m");
        for (double v : c.V) std::printf("%.4f ", v);
        std::printf("\n");
    }
}

}  // namespace
}  // namespace flyback::cross_regulation
namespace flyback::cross_regulation {
TEST(CrossRegulationTest, Shape) {
    const auto plan = ThreeOutputs();
    const auto c = CircuitOf(*plan);
    std::printf("Lp %g Ipk %g f %g Vin %g clamp %g Vor %g drop %g\n", c->Lp_H, c->Ipk_A, c->f_Hz, c->Vin, c->clamp_V, c->Vor, c->switchDrop_V);
    for (auto& row : c->L_H) { for (double x : row) std::printf("%.4g ", x); std::printf("\n"); }
    for (double t : c->turns) std::printf("n %g ", t);
    for (double r : c->R_ohm) std::printf("R %g ", r);
    std::printf("\n");
    for (double Ic : {1.398, 1.4}) {
        SteadyState s; s.V = {5, 12.1, 30.4}; s.Ic_A = Ic;
        std::vector<double> j(4, 0);
        auto I = MeanCurrents(*c, s, j);
        std::printf("Ic %.2f I %g %g %g  j %g %g %g %g\n", Ic, I[0], I[1], I[2], j[0], j[1], j[2], j[3]);
    }
}
}
