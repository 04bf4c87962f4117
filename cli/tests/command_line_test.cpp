#include "cli/command_line.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/market_names.hpp"
#include "cli/winding_options.hpp"
#include "record/design_record.hpp"
#include "runtime/decimal_conversion.hpp"
#include "version/version.hpp"
#include "winding/plan.hpp"

namespace flyback::cli {
namespace {

struct Invocation {
    int status;
    std::string out;
    std::string err;
};

Invocation Invoke(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = RunCommandLine(args, in, out, err);
    return {status, out.str(), err.str()};
}

const std::vector<std::string> kDefaults = {"60", "368", "200", "20", "75", "5"};

std::vector<std::string> With(std::string option, std::vector<std::string> inputs) {
    inputs.insert(inputs.begin(), std::move(option));
    return inputs;
}

TEST(CommandLineTest, TableListsTheResultsInScreenOrder) {
    const Invocation run = Invoke(kDefaults);
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.out,
              "磁芯型号       EE12\n"
              "初级电感量      1.75mH\n"
              "变压器气隙mm    1.88\n"
              "变压器初级匝数  135.41\n"
              "变压器次级匝数  6.2\n"
              "晶体管耐压Vceo  588\n"
              "晶体管电流Isc   2.77\n");
    EXPECT_EQ(run.err, "");
}

TEST(CommandLineTest, TableOnAFaultShowsWhatWasReachedAndTheError) {
    const Invocation run = Invoke({"0", "368", "200", "20", "75", "5"});
    EXPECT_EQ(run.status, kExitCalculationFault);
    EXPECT_EQ(run.out, "磁芯型号       EE8.3\n晶体管耐压Vceo  588\n");
    EXPECT_EQ(run.err,
              "无效：输出功率 W：输出功率应大于 0 W。\n"
              "flyback-calc: 除数为零 (division_by_zero)\n"
              "flyback-calc: 请检查“输出功率 W”：为空或为零。\n");
}

TEST(CommandLineTest, JsonHoldsEveryResultInPublicationOrder) {
    const Invocation run = Invoke(With("--json", kDefaults));
    EXPECT_EQ(run.status, kExitOk);
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_TRUE(json["error"].is_null());
    const std::vector<std::pair<int, std::string>> expected = {
        {0, "EE12"},    {4, " 588"},  {6, " 1.75mH"}, {5, " 2.77"},
        {2, " 135.41"}, {1, " 1.88"}, {3, " 6.2"}};
    ASSERT_EQ(json["results"].size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(json["results"][i]["box"], expected[i].first);
        EXPECT_EQ(json["results"][i]["text"], expected[i].second);
    }
    EXPECT_EQ(json["results"][0]["caption"], "磁芯型号");
    EXPECT_EQ(
        run.out.rfind("{\"results\":[{\"box\":0,\"caption\":\"磁芯型号\",\"text\":\"EE12\"}", 0),
        0u);
}

// What decided each winding's conductor, the rule it breaks and the
// construction not taken read back from the JSON as the plan has them: the
// 60 W adapter on PQ26/20, margin-wound (its primary breaks the layers'
// rule) and left to the plan (the margins do not fit).
TEST(CommandLineTest, TheWindersChoicesReadBackFromTheJson) {
    const std::vector<std::string> supply = {"60", "373", "100", "100", "88", "12"};
    for (const winding::Construction construction :
         {winding::Construction::Margin, winding::Construction::Auto}) {
        const std::string name(winding::kConstructionNames[static_cast<int>(construction)]);
        SCOPED_TRACE(name);
        std::vector<std::string> args = {"--json", "--winding", "--core=PQ26/20",
                                         "--construction=" + name};
        args.insert(args.end(), supply.begin(), supply.end());
        const Invocation run = Invoke(args);
        ASSERT_EQ(run.status, kExitOk) << run.err;
        const auto json = nlohmann::json::parse(run.out)["winding"];
        winding::Options options;
        options.core = "PQ26/20";
        options.construction = construction;
        const winding::PlanOutcome outcome = winding::PlanWinding(
            record::RecordPress({supply[0], supply[1], supply[2], supply[3], supply[4], supply[5]}),
            options, catalogue::BuiltIn());
        ASSERT_TRUE(outcome.plan);
        const winding::Plan& plan = *outcome.plan;
        ASSERT_EQ(json["windings"].size(), plan.windings.size());
        for (std::size_t i = 0; i < plan.windings.size(); ++i) {
            const winding::Winding& w = plan.windings[i];
            const auto& read = json["windings"][i];
            EXPECT_EQ(read["decided_by"],
                      winding::kConductorReasonNames[static_cast<int>(w.decidedBy)]);
            ASSERT_EQ(read["rule_broken"].is_null(), !w.breach);
            if (!w.breach) continue;
            EXPECT_EQ(read["rule_broken"]["rule"], winding::Info(w.breach->rule).jsonKey);
            EXPECT_EQ(read["rule_broken"]["value"], w.breach->value);
            EXPECT_EQ(read["rule_broken"]["limit"], w.breach->limit);
        }
        const auto& other = json["insulation"]["construction_other"];
        ASSERT_EQ(other.is_null(), !plan.otherConstruction);
        EXPECT_EQ(json["insulation"]["construction_chosen"], plan.constructionChosen);
        if (!plan.otherConstruction) continue;
        EXPECT_EQ(
            other["construction"],
            winding::kConstructionNames[static_cast<int>(plan.otherConstruction->construction)]);
        EXPECT_EQ(other["fits"], plan.otherConstruction->fits);
        EXPECT_EQ(other["build_mm"], plan.otherConstruction->build_mm);
        EXPECT_EQ(other["loss_W"], *plan.otherConstruction->loss_W);
    }
}

// The capacitances, the shields and the switch's Coss read back from the
// JSON as the plan has them: the 18 W adapter, valley-switched on a typed
// Coss, with each shield; the six capacitors of each pair in the MAS file
// sum, between the windings, to what a bridge measures between them.
TEST(CommandLineTest, TheCapacitancesReadBackFromTheJsonAndTheFile) {
    const std::vector<std::string> supply = {"18", "374.77", "100.45", "65", "85", "12"};
    for (const winding::Shield shield :
         {winding::Shield::None, winding::Shield::Foil, winding::Shield::Winding}) {
        const std::string name(winding::kShieldNames[static_cast<int>(shield)]);
        SCOPED_TRACE(name);
        const std::string file = testing::TempDir() + "/capacitance-" + name + ".mas.json";
        std::vector<std::string> args = {"--json",    "--winding",        "--qr",   "--coss=30e-12",
                                         "--vaux=15", "--shield=" + name, "--save", file};
        args.insert(args.end(), supply.begin(), supply.end());
        const Invocation run = Invoke(args);
        ASSERT_EQ(run.status, kExitOk) << run.err;
        const auto json = nlohmann::json::parse(run.out)["winding"];
        winding::Options options;
        options.Vaux_V = 15;
        options.shield = shield;
        options.choices.conduction = winding::Conduction::QuasiResonant;
        options.choices.Coss_F = 30e-12;
        const winding::PlanOutcome outcome = winding::PlanWinding(
            record::RecordPress({supply[0], supply[1], supply[2], supply[3], supply[4], supply[5]}),
            options, catalogue::BuiltIn());
        ASSERT_TRUE(outcome.plan && outcome.plan->capacitance);
        const winding::Plan& plan = *outcome.plan;
        const winding::Capacitances& c = *plan.capacitance;
        const auto& read = json["capacitance"];
        EXPECT_EQ(json["shield"], name);
        EXPECT_EQ(json["shields"].size(), plan.shields.size());
        EXPECT_EQ(json["choices"]["Coss_F"], 30e-12);
        EXPECT_TRUE(json["choices"]["Cds_F"].is_null());
        EXPECT_EQ(read["C_primary_self_F"], c.primarySelf_F);
        EXPECT_EQ(read["C_primary_secondary_F"], c.primarySecondary_F);
        EXPECT_EQ(read["C_common_mode_F"], c.commonMode_F);
        EXPECT_EQ(read["C_drain_F"], c.drain_F);
        EXPECT_EQ(read["valley_ring_Hz"], c.valleyRing_Hz);
        ASSERT_EQ(read["pairs"].size(), c.facings.size());
        for (std::size_t i = 0; i < c.facings.size(); ++i)
            EXPECT_EQ(read["pairs"][i]["C_F"], c.facings[i].C_F);
        // The leakage between each pair of windings, as the plan has it.
        ASSERT_TRUE(plan.leakageMatrix);
        const winding::LeakageMatrix& m = *plan.leakageMatrix;
        const auto& leakage = json["leakage_matrix_H"];
        ASSERT_EQ(leakage["names"].size(), m.windings.size());
        for (std::size_t a = 0; a < m.windings.size(); ++a) {
            EXPECT_EQ(leakage["names"][a],
                      winding::WindingName(
                          winding::Whole(plan.windings[static_cast<std::size_t>(m.windings[a])])));
            for (std::size_t b = 0; b < m.windings.size(); ++b)
                EXPECT_EQ(leakage["H"][a][b], m.H[a][b]);
        }

        std::ifstream in(file);
        const auto stray = nlohmann::json::parse(in)["outputs"][0]["strayCapacitance"][0];
        for (const auto& [first, row] : stray["sixCapacitorNetworkPerWinding"].items()) {
            for (const auto& [second, six] : row.items()) {
                const double between = six["C3"].get<double>() + six["C4"].get<double>() +
                                       six["C5"].get<double>() + six["C6"].get<double>();
                const double bridge = stray["capacitanceAmongWindings"][first][second];
                EXPECT_NEAR(between / bridge, 1, 1e-12) << first << " " << second;
            }
        }
    }
}

TEST(CommandLineTest, JsonOnAFaultNamesTheErrorAndKeepsWhatWasReached) {
    const Invocation run = Invoke({"--json", "60", "368", "200", "20", "junk", "5"});
    EXPECT_EQ(run.status, kExitCalculationFault);
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["results"].size(), 3u);
    EXPECT_EQ(json["results"][2]["text"], " 0uH");
    EXPECT_EQ(json["error"]["kind"], "division_by_zero");
    EXPECT_EQ(json["error"]["message"], "除数为零");
}

TEST(CommandLineTest, InputsMayLookLikeOptionsOrBeEmpty) {
    EXPECT_EQ(Invoke({"-60", "368", "200", "20", "75", "5"}).err,
              "无效：输出功率 W：输出功率应大于 0 W。\n"
              "flyback-calc: 无效的过程调用或参数 (invalid_argument)\n"
              "flyback-calc: 请检查“输出功率 W”：为负数。\n");
    EXPECT_EQ(Invoke({"60", "368", "200", "", "75", "5"}).status, kExitCalculationFault);
    EXPECT_EQ(Invoke({"60", "368", "200", "20", "75", "-5"}).status, kExitOk);
    EXPECT_EQ(Invoke({"--", "60W", "368V", "200", "20kHz", "75%", "5V"}).out,
              Invoke(kDefaults).out);
    // Numbers the window reads, though they start like an option.
    for (const char* negative : {"-.5", "-\xEF\xBC\x91", "- 5"}) {  // "-１"
        const Invocation run = Invoke({negative, "368", "200", "20", "75", "5"});
        EXPECT_EQ(run.status, kExitCalculationFault) << negative;
        EXPECT_NE(run.err.find("为负数"), std::string::npos) << negative << run.err;
    }
    EXPECT_EQ(Invoke({"60", "368", "200", "20", "75", "5", "--json"}).out,
              Invoke(With("--json", kDefaults)).out);
}

TEST(CommandLineTest, TypedControlsNeverReachTheTerminal) {
    const Invocation run = Invoke({"\x1B]0;TITLE\x07", "368", "200", "20", "75", "5"});
    EXPECT_EQ(run.err.find('\x1B'), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\x07'), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\u241B]0;TITLE\u2407"), std::string::npos) << run.err;
    const Invocation option = Invoke({"--\x1B[2J"});
    EXPECT_EQ(option.status, kExitUsage);
    EXPECT_EQ(option.err.find('\x1B'), std::string::npos) << option.err;
}

TEST(CommandLineTest, HelpAndVersionExitCleanly) {
    const Invocation help = Invoke({"--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_NE(help.out.find("FREQ_KHZ"), std::string::npos);
    const Invocation version = Invoke({"--version"});
    EXPECT_EQ(version.status, kExitOk);
    EXPECT_EQ(version.out, "flyback-calc " + std::string(kProgramVersion) + "\n");
}

TEST(CommandLineTest, ReportIsOneHtmlPageWithTheTableModesExitStatus) {
    const Invocation done = Invoke(With("--report", kDefaults));
    EXPECT_EQ(done.status, kExitOk);
    EXPECT_EQ(done.out.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(done.out.find("1.75mH"), std::string::npos);
    const Invocation fault = Invoke({"--report", "60", "368", "200", "", "75", "5"});
    EXPECT_EQ(fault.status, kExitCalculationFault);
    EXPECT_NE(fault.out.find("除数为零"), std::string::npos);
}

TEST(CommandLineTest, MainsGivesTheTwoDcVoltages) {
    const Invocation table = Invoke({"--mains", "85", "265", "12", "80", "--bulk-uf", "22"});
    EXPECT_EQ(table.status, kExitOk);
    // The mains typed is the plan's insulation rating, said with its flag.
    EXPECT_EQ(table.out,
              "最大输入电压V  374.77\n最小输入电压V  70.03\n大容量电容 µF  22\n"
              "绕制方案的电网电压  265 V（--winding --mains-vrms 265）\n");
    const Invocation json = Invoke({"--mains", "--json", "176", "264", "60", "85"});
    const auto answer = nlohmann::json::parse(json.out);
    EXPECT_EQ(answer["bulk_uF"], 100);
    EXPECT_EQ(answer["bulk_proposed"], true);
    EXPECT_EQ(answer["line_Hz"], 50);
    EXPECT_NEAR(answer["Vmin"].get<double>(), 228.19, 0.005);
    EXPECT_TRUE(answer["warnings"].empty());
    EXPECT_EQ(answer["bulk_rule"], "per_watt");
    EXPECT_EQ(answer["mains_Vrms"], 264);
    // A proposed value is the series' own, printed as the series prints it.
    EXPECT_EQ(Invoke({"--mains", "85", "265", "57", "85"}).out,
              "最大输入电压V  374.77\n最小输入电压V  100.91\n"
              "大容量电容 µF  220（建议值，按每瓦电容量）\n"
              "绕制方案的电网电压  265 V（--winding --mains-vrms 265）\n");
    const Invocation held =
        Invoke({"--mains", "--json", "--holdup-ms", "20", "85", "265", "57", "85"});
    EXPECT_NE(held.out.find("\"bulk_uF\":680,\"bulk_proposed\":true,\"bulk_rule\":\"holdup\","
                            "\"holdup_ms\":20,"),
              std::string::npos)
        << held.out;
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--mains", "85", "265", "60W", "80"},
          {"--mains", "85", "265", "60", "80", "--bulk-uf", "2.2"},
          {"--mains", "85", "265", "60", "80", "--line-hz", "0"},
          {"--mains", "85", "265", "60"},
          {"--mains", "85", "265", "60", "80", "--holdup-ms", "-1"},
          {"--mains", "85", "265", "60", "80", "--holdup-ms", "x"}}) {
        const Invocation run = Invoke(bad);
        EXPECT_EQ(run.status, kExitUsage) << bad[3];
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("flyback-calc: ", 0), 0u) << run.err;
    }
}

// The catalogue with a user's file beside it: the good rows listed, the bad
// one named on standard error by file, line and field.
TEST(CommandLineTest, CatalogueListsTheBuiltInPartsAndTheUsersOwn) {
    const auto data = std::filesystem::temp_directory_path() / "flyback-calc-catalogue-test";
    std::filesystem::create_directories(data / "flyback-designer");
    std::ofstream(data / "flyback-designer" / "cores.csv")
        << "family,name,Ae_mm2,Amin_mm2,le_mm,Ve_mm3,bobbin_window_mm2,winding_width_mm,"
           "winding_height_mm\nE,Mine,41,40,39.4,1615,30,8,3.75\nE,Bad,41,40,,1615,30,8,3.75\n";
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    const Invocation json = Invoke({"--cores", "--json"});
    unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(data);
    EXPECT_EQ(json.status, kExitOk);
    const auto cores = nlohmann::json::parse(json.out);
    ASSERT_EQ(cores.size(), catalogue::BuiltIn().cores.size() + 1);
    EXPECT_EQ(cores[0]["aliases"], nlohmann::json::array({"EE13", "EE13/7/4"}));
    EXPECT_EQ(cores.back()["name"], "Mine");
    EXPECT_TRUE(cores.back()["MLT_mm"].is_null());
    EXPECT_NE(json.err.find("cores.csv:3: le_mm: is empty"), std::string::npos) << json.err;
    EXPECT_EQ(nlohmann::json::parse(Invoke({"--wires", "--json"}).out).size(), 82u);
    EXPECT_EQ(Invoke({"--materials", "--cores"}).status, kExitUsage);
    // The table marks the alias that also names another maker's core, and says which.
    const std::string table = Invoke({"--cores"}).out;
    EXPECT_NE(table.find(" EE25* "), std::string::npos) << table;
    EXPECT_NE(table.find("EE13*"), std::string::npos);  // TDK's EE13 is E13/6/6.15
    EXPECT_EQ(table.find("EE19*"), std::string::npos);
    EXPECT_NE(table.find("\n* EE25 also names EE25/19 (Chinese makers, not in the catalogue): give "
                         "the full name\n"),
              std::string::npos)
        << table;
}

// A core the catalogue lacks, typed by its drawing's letters (an EE25/19 a
// factory buys): planned on its section-method parameters in its bare
// window; impossible letters are refused naming the letter.
TEST(CommandLineTest, ACoreTypedByItsLettersIsPlannedOrRefusedByLetter) {
    const std::vector<std::string> inputs = {"12", "375", "120", "65", "80", "12"};
    const Invocation run = Invoke(
        With("--json",
             With("--winding",
                  With("--core-dims", With("E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8 F=6.3", inputs)))));
    ASSERT_EQ(run.status, kExitOk) << run.err;
    const auto plan = nlohmann::json::parse(run.out)["winding"];
    EXPECT_EQ(plan["core"]["name"], "E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8 F=6.3");
    EXPECT_NEAR(plan["core"]["Ae_mm2"].get<double>(), 39.84, 0.01);
    EXPECT_TRUE(plan["P_copper_W"].is_null());  // no bobbin, no mean turn: not made up
    const struct {
        std::string dims, said;
    } refused[] = {
        {"E A=25.3 B=9.5 C=6.3 D=6.4 E=26 F=6.3", "--core-dims: E must be below A"},
        {"E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8 F=19", "--core-dims: F must be below E"},
        {"E A=25.3 B=9.5 C=6.3 D=9.5 E=18.8 F=6.3", "--core-dims: D must be below B"},
        {"E A=25.3 B=9.5 C=-6.3 D=6.4 E=18.8 F=6.3", "--core-dims: C must be a length from 0.1"},
        // Each letter is bounded before any arithmetic: no overflow, the letter named.
        {"E A=1e200 B=1e199 C=1e200 D=1e198 E=1e199 F=1e198", "--core-dims: A must be a length"},
        {"EFD A=20 B=10 C=6.65 D=7.7 E=15.4 F=8.9 F2=3.6 K=0.17 q=5",
         "--core-dims: q must be below √(F × F2 ÷ 2)"},
        {"E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8", "--core-dims: letter F is missing"},
        {"E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8 F=6.3 G=1", "G is not a letter of an E core"},
        {"EE25 A=25.3", "--core-dims expects a family (E, EFD, ETD, ER, EQ or PQ)"},
        {"ETD A=29.8 B=15.8 C=22.7 D=11 E=22.7 F=9.5", "--core-dims: C must be below E"},
        {"PQ A=18.1 B=8.1 C=8 D=5.15 E=18 F=8.8 G=12", "--core-dims: the letters leave"},
        {"PQ A=20.5 B=8.1 C=14 D=5.15 E=18 F=8.8 G=12 K=1", "K is not a letter of a PQ core"},
        {"E A=25.3 A=25.3", "--core-dims expects a family"},
        {"E A=2530 B=950 C=630 D=640 E=1880 F=630", "--core-dims: A must be a length"},
        // Letters each a length, the corners eating all but 0.04 mm² of the centre leg.
        {"EFD A=20 B=10 C=6.65 D=7.7 E=15.4 F=8.9 F2=3.6 K=0.17 q=4",
         "lies beyond any real part's"},
    };
    for (const auto& r : refused) {
        const Invocation bad = Invoke(With("--winding", With("--core-dims", With(r.dims, inputs))));
        EXPECT_EQ(bad.status, kExitUsage) << r.dims;
        EXPECT_NE(bad.err.find(r.said), std::string::npos) << bad.err;
    }
    const Invocation both = Invoke(With(
        "--winding",
        With("--core",
             With("E25/13/7 (EF25)",
                  With("--core-dims", With("E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8 F=6.3", inputs))))));
    EXPECT_EQ(both.status, kExitUsage);
}

// The plan follows the results under the key "winding", in the units its keys
// name; the results before it are the answer without it.
TEST(CommandLineTest, WindingPlanFollowsTheResults) {
    const std::vector<std::string> inputs = {"12", "375", "120", "65", "80", "12"};
    const Invocation plain = Invoke(With("--json", inputs));
    const Invocation run = Invoke(With("--json", With("--winding", With("--vaux=15", inputs))));
    ASSERT_EQ(run.status, kExitOk) << run.err;
    auto answer = nlohmann::json::parse(run.out);
    const auto plan = answer["winding"];
    answer.erase("winding");
    EXPECT_EQ(answer, nlohmann::json::parse(plain.out));
    // The reinforced margins and the turns a tenth's saturation margin at the
    // current limit asks: off the EFD20 and the E20.
    EXPECT_EQ(plan["core"]["name"], "PQ20/20");
    EXPECT_EQ(plan["insulation"]["type"], "reinforced");
    // 375 V DC is 265 V rms at most: a 240 V rating, below Table 27's 250 V.
    EXPECT_EQ(plan["insulation"]["mains_rated_Vrms"], 240);
    EXPECT_EQ(plan["insulation"]["test_voltage_V"], 4000);
    for (const char* key : {"Np",
                            "Ns",
                            "Naux",
                            "Vor",
                            "Dmax",
                            "Lp_H",
                            "Ipk",
                            "Bpk_T",
                            "Bpk_limit_T",
                            "gap_mm",
                            "AL_nH",
                            "fill",
                            "build_mm",
                            "P_copper_W",
                            "P_core_W",
                            "dT_K",
                            "V_rectifier_V",
                            "I_cap_rms_A",
                            "V_switch_V",
                            "saturation_margin",
                            "Bsat_hot_T"}) {
        EXPECT_TRUE(plan[key].is_number()) << key;
    }
    ASSERT_EQ(plan["windings"].size(), 3u);
    EXPECT_EQ(plan["windings"][2]["name"], "bias");
    EXPECT_TRUE(plan["windings"][2]["I_rms_A"].is_null());
    // Each winding's own turn length, longer the further out it is wound.
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_GT(plan["windings"][i]["mlt_mm"].get<double>(),
                  plan["windings"][i - 1]["mlt_mm"].get<double>());
    }
    EXPECT_TRUE(plan["clamp"]["C_nF"].is_number());
    EXPECT_EQ(plan["clamp"]["leakage_limit_H"],
              2 * plan["clamp"]["leakage_estimate_H"].get<double>());
    ASSERT_EQ(plan["corners"].size(), 6u);
    EXPECT_EQ(plan["corners"][4]["name"], "output shorted");
    EXPECT_EQ(plan["corners"][5]["name"], "minimum input, Lp and limit low (capability)");
    EXPECT_EQ(plan["corners"][4]["V_rectifier_V"].size(), 1u);
    EXPECT_TRUE(plan["warnings"].is_array());

    const Invocation report = Invoke(With("--report", With("--winding", inputs)));
    EXPECT_NE(report.out.find("<h2>绕制方案</h2>"), std::string::npos);
    EXPECT_EQ(Invoke(With("--report", inputs)).out.find("绕制方案"), std::string::npos);
    const Invocation table = Invoke(With("--winding", With("--insulation=functional", inputs)));
    EXPECT_NE(table.out.find("\n初级绕组 匝数 127 匝"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("\n工作点：输出短路"), std::string::npos) << table.out;
}

std::vector<std::string> CsvCells(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream stream(line);
    for (std::string cell; std::getline(stream, cell, ',');) cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    return cells;
}

// Each line of a sweep is the press of those texts alone, to the last bit:
// every cell against --details of a separate press at the frequency
// 20 + 20 × i kHz, worked out here.
TEST(CommandLineTest, SweepLinesAreSeparatePresses) {
    const Invocation sweep = Invoke(With("--sweep=f=20:100:5", kDefaults));
    ASSERT_EQ(sweep.status, kExitOk) << sweep.err;
    std::stringstream lines(sweep.out);
    std::string header;
    std::getline(lines, header);
    const std::vector<std::string> symbols = CsvCells(header);
    ASSERT_EQ(symbols.size(), 23u);
    EXPECT_EQ(symbols.back(), "error");
    int i = 0;
    for (std::string line; std::getline(lines, line); ++i) {
        std::vector<std::string> press = kDefaults;
        press[3] = std::to_string(20 + 20 * i);
        const auto details =
            nlohmann::json::parse(Invoke(With("--json", With("--details", press))).out)["details"];
        const std::vector<std::string> cells = CsvCells(line);
        ASSERT_EQ(cells.size(), symbols.size());
        for (std::size_t k = 0; k < details.size(); ++k) {
            ASSERT_EQ(details[k]["symbol"], symbols[k]);
            const auto& value = details[k]["value"];
            if (value.is_string()) {
                EXPECT_EQ(cells[k], value.get<std::string>());
            } else {
                EXPECT_EQ(std::stod(cells[k]), value.get<double>()) << symbols[k] << " at " << i;
            }
        }
    }
    EXPECT_EQ(i, 5);
    const Invocation planned = Invoke(With("--sweep=P=10:60:3", With("--winding", kDefaults)));
    EXPECT_NE(planned.out.find(",plan_core,plan_Np,"), std::string::npos);

    const auto svg = std::filesystem::temp_directory_path() / "flyback-calc-sweep-test.svg";
    const Invocation plotted =
        Invoke(With("--sweep=f=20:100:5", With("--svg=" + svg.string(), kDefaults)));
    EXPECT_EQ(plotted.status, kExitOk);
    EXPECT_EQ(plotted.out, sweep.out);
    std::ifstream plot(svg);
    const std::string text((std::istreambuf_iterator<char>(plot)),
                           std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("<svg", 0), 0u);
    std::filesystem::remove(svg);
    EXPECT_EQ(
        Invoke(With("--sweep=f=20:100:5", With("--svg=/nonexistent/plot.svg", kDefaults))).status,
        kExitWriteFailed);
}

// A plot replaces its file only when whole: the old one stays where the new
// one cannot be written, and no temporary file is left behind.
TEST(CommandLineTest, APlotReplacesItsFileWhole) {
    const auto folder = std::filesystem::temp_directory_path() / "flyback-calc-svg-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto svg = folder / "plot.svg";
    std::ofstream(svg) << "old";
    const Invocation flat = Invoke({"--sweep", "eta=37.5:112.5:3", "--svg", svg.string(), "150",
                                    "375", "100", "100", "75", "24"});
    EXPECT_EQ(flat.status, kExitOk) << flat.err;
    EXPECT_EQ(std::count(flat.out.begin(), flat.out.end(), '\n'), 4);
    std::ifstream plot(svg);
    const std::string text((std::istreambuf_iterator<char>(plot)), {});
    EXPECT_EQ(text.rfind("<svg", 0), 0u);
    EXPECT_NE(text.find("</svg>"), std::string::npos);
    // A folder in the file's place: the rename fails, and nothing is left.
    std::filesystem::remove(svg);
    std::filesystem::create_directories(svg / "inside");
    EXPECT_EQ(Invoke(With("--sweep=f=20:100:5", With("--svg=" + svg.string(), kDefaults))).status,
              kExitWriteFailed);
    EXPECT_TRUE(std::filesystem::is_directory(svg / "inside"));
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++files;
    EXPECT_EQ(files, 1);
    std::filesystem::remove_all(folder);
}

// A downloaded catalogue file can neither write to the terminal (an escape
// that retitles or clears it) nor put invalid UTF-8 into a JSON answer, nor
// take over a built-in name.
TEST(CommandLineTest, AUsersHostileFileReachesNoOutput) {
    const auto data = std::filesystem::temp_directory_path() / "flyback-calc-user-data";
    std::filesystem::create_directories(data / "flyback-designer");
    std::ofstream(data / "flyback-designer" / "cores.csv")
        << "family,name,common_name,Ae_mm2,Amin_mm2,le_mm,Ve_mm3,bobbin_window_mm2,"
           "winding_width_mm,winding_height_mm,MLT_mm\n"
           "E,Mine\x1b]0;owned\x07\x1b[2J,,41,40,39.4,1615,30,8,3.75,45\n"
           "E,M\xe9ne,,41,40,39.4,1615,30,8,3.75,45\n"
           "E,ETD29 (mine),,12,12,29,350,14,7,2,25\n";
    const char* before = std::getenv("XDG_DATA_HOME");
    const std::string kept = before != nullptr ? before : "";
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    const Invocation listing = Invoke({"--cores", "--json"});
    const Invocation plan = Invoke(With("--winding", With("--core=ETD29", kDefaults)));
    if (before != nullptr) {
        ::setenv("XDG_DATA_HOME", kept.c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_HOME");
    }
    std::filesystem::remove_all(data);
    EXPECT_EQ(listing.status, kExitOk);
    for (const std::string& text : {listing.out, listing.err, plan.out, plan.err}) {
        EXPECT_EQ(text.find('\x1b'), std::string::npos);
        EXPECT_EQ(text.find('\x07'), std::string::npos);
        EXPECT_EQ(text.find("M\xe9ne"), std::string::npos);
    }
    EXPECT_TRUE(nlohmann::json::accept(listing.out));
    EXPECT_EQ(std::count(listing.err.begin(), listing.err.end(), '\n'), 3) << listing.err;
    EXPECT_NE(plan.out.find("ETD29/16/10"), std::string::npos);
}

// Every name and alias the listing shows finds its core, in any case and
// with or without blanks; a loop over the listing, not a list by hand.
TEST(CommandLineTest, EveryListedNameFindsItsCore) {
    const auto listing = nlohmann::json::parse(Invoke({"--cores", "--json"}).out);
    ASSERT_GE(listing.size(), 35u);
    int tried = 0;
    for (const auto& core : listing) {
        const std::string name = core["name"];
        std::vector<std::string> names = {name};
        for (const auto& alias : core["aliases"]) names.push_back(alias);
        // The names in the parenthesis that name a part ("EF25", "RM 6").
        if (const auto open = name.find(" ("); open != std::string::npos) {
            names.push_back(name.substr(0, open));
            const std::string inside = name.substr(open + 2, name.size() - open - 3);
            const std::string first = inside.substr(0, inside.find(','));
            if (first.find_first_of("0123456789") != std::string::npos) names.push_back(first);
        }
        for (const std::string& typed : names) {
            std::string lower = typed, spaced = typed;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            spaced.insert(std::min<std::size_t>(2, spaced.size()), " ");
            for (const std::string& variant : {typed, lower, spaced}) {
                const Invocation plan =
                    Invoke(With("--json", With("--winding", With("--core=" + variant, kDefaults))));
                // A name other makers give to another core is refused with
                // both cores named.
                if (const auto other = catalogue::AmbiguousName(catalogue::BuiltIn(), variant)) {
                    EXPECT_EQ(plan.status, kExitUsage) << variant;
                    EXPECT_NE(plan.err.find(name), std::string::npos) << plan.err;
                    EXPECT_NE(plan.err.find(other->elsewhere.at(0).part), std::string::npos)
                        << plan.err;
                    ++tried;
                    continue;
                }
                ASSERT_EQ(plan.status, kExitOk) << variant << ": " << plan.err;
                EXPECT_EQ(nlohmann::json::parse(plan.out)["winding"]["core"]["name"], name)
                    << variant;
                ++tried;
            }
        }
    }
    EXPECT_GT(tried, 150);
    const Invocation unknown = Invoke(With("--winding", With("--core=EE99", kDefaults)));
    EXPECT_EQ(unknown.status, kExitUsage);
    EXPECT_NE(unknown.err.find("nearest: "), std::string::npos) << unknown.err;
}

TEST(CommandLineTest, JsonLinesExitTwoOnlyWhenALineWasBad) {
    const std::string request = R"(["60","368","200","20","75","5"])";
    EXPECT_EQ(Invoke({"--jsonl"}, request + "\n" + R"(["","","","","",""])" + "\n").status,
              kExitOk);
    EXPECT_EQ(Invoke({"--jsonl"}, request + "\n[1]\n").status, kExitUsage);
}

struct UsageCase {
    std::string name;
    std::vector<std::string> args;
    friend void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }
};

class UsageErrorTest : public testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrorTest, ExitsTwoWithAReasonAndTheUsage) {
    const Invocation run = Invoke(GetParam().args);
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("flyback-calc: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("\nusage: flyback-calc"), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    All, UsageErrorTest,
    testing::Values(
        UsageCase{"NoInputs", {}}, UsageCase{"FiveInputs", {"1", "2", "3", "4", "5"}},
        UsageCase{"SevenInputs", {"1", "2", "3", "4", "5", "6", "7"}},
        UsageCase{"UnknownOption", {"--bogus"}}, UsageCase{"BothJsonModes", {"--json", "--jsonl"}},
        UsageCase{"JsonLinesWithInputs", With("--jsonl", kDefaults)},
        UsageCase{"DetailsWithTheTable", With("--details", kDefaults)},
        UsageCase{"ReportAndJson", With("--report", With("--json", kDefaults))},
        UsageCase{"BulkWithoutMains", With("--bulk-uf", With("22", kDefaults))},
        UsageCase{"NoFluxDensity", With("--winding", With("--bmax=0", kDefaults))},
        UsageCase{"NegativeCurrentDensity",
                  With("--winding", With("--current-density=-1", kDefaults))},
        UsageCase{"UnknownCore", With("--winding", With("--core=nonsense", kDefaults))},
        UsageCase{"FluxDensityNotANumber", With("--winding", With("--bmax=0.3T", kDefaults))},
        UsageCase{"CoreWithoutWinding", With("--core=ETD29", kDefaults)},
        UsageCase{"WindingWithJsonLines", {"--winding", "--jsonl"}},
        UsageCase{"SweepWithoutPoints", With("--sweep=f=20:100", kDefaults)},
        UsageCase{"SweepOfNoInput", With("--sweep=Lp=1:2:3", kDefaults)},
        UsageCase{"SweepFromNoNumber", With("--sweep=f=a:2:3", kDefaults)},
        UsageCase{"SweepOfOnePoint", With("--sweep=f=1:2:1", kDefaults)},
        UsageCase{"SweepOfPartPoints", With("--sweep=f=1:2:2.5", kDefaults)},
        UsageCase{"SweepOfTooManyPoints", With("--sweep=f=1:2:1e9", kDefaults)},
        UsageCase{"SweepToInfinity", With("--sweep=P=-1e308:1e308:3", kDefaults)},
        UsageCase{"SweepAsJson", With("--json", With("--sweep=f=1:2:3", kDefaults))},
        UsageCase{"SvgOfNoName", With("--svg=", With("--sweep=f=1:2:3", kDefaults))},
        UsageCase{"SweepWithMains", {"--mains", "--sweep=P=1:2:3", "85", "265", "12", "80"}},
        UsageCase{"SvgWithMains", {"--mains", "--svg=p.svg", "85", "265", "12", "80"}},
        UsageCase{"SweepWithCores", {"--cores", "--sweep=P=1:2:3"}},
        UsageCase{"SweepOfNothing", With("--sweep=", kDefaults)},
        UsageCase{"SweepOfAChoiceWithoutAPlan", With("--sweep=vor=80:140:4", kDefaults)},
        UsageCase{"TiwAndMargins", With("--winding", With("--tiw", With("--margins", kDefaults)))},
        UsageCase{"MarginsAndConstructionTiw",
                  With("--winding", With("--margins", With("--construction=tiw", kDefaults)))},
        UsageCase{"ConstructionOfNoName",
                  With("--winding", With("--construction=foil", kDefaults))},
        UsageCase{"MostLayersNotWhole", With("--winding", With("--most-layers=2.5", kDefaults))},
        UsageCase{"ShieldOfNoName", With("--winding", With("--shield=copper", kDefaults))},
        UsageCase{"CossBeyondItsRow", With("--winding", With("--coss=1", kDefaults))},
        UsageCase{"MostRiseWithoutAPlan", With("--max-rise=30", kDefaults)},
        UsageCase{"MostRiseOfNone", With("--advise", With("--max-rise=0", kDefaults))}),
    [](const auto& info) { return info.param.name; });

// A choice that fixes one thing twice, or cannot be designed to, is one line
// naming the flags; nothing is planned.
TEST(CommandLineTest, ConflictingOrImpossibleChoicesAreNamed) {
    const struct {
        std::vector<std::string> flags;
        const char* said;
    } cases[] = {
        {{"--vor=100", "--dmax=0.45"}, "--vor and --dmax each fix the reflected voltage"},
        {{"--vor=100", "--vds-rating=650", "--dmax=0.45"}, "--vor and --vds-rating and --dmax"},
        {{"--krp=0.5", "--lp=1e-3"}, "--krp and --lp each fix the inductance"},
        {{"--krp=0"}, "--krp must be above 0 and at most 1"},
        {{"--krp=1.2"}, "--krp must be above 0 and at most 1"},
        {{"--dmax=1"}, "--dmax must be above 0 and below 1"},
        {{"--derating=0.9"}, "--derating needs --vds-rating"},
        {{"--vds-rating=650", "--derating=0"}, "--derating above 0"},
        {{"--output=12"}, "--output: \"12\" is not V:I, V:I:VF or V:I:VF:Imin"},
        {{"--output=12:1:0.5:2"}, "the least load from 0 to the current"},
        {{"--bias=15:0.1:0.7:0.01"}, "--bias: \"15:0.1:0.7:0.01\" is not V:I or V:I:VF"},
        {{"--output=12:1", "--output=-5:1"}, "--output 2: the voltage must be above 0"},
        {{"--turns=150:9.5"}, "--turns: \"150:9.5\" is not NP:NS"},
        {{"--turns=150:9:12"}, "NAUX needs --bias or --vaux"},
        {{"--lp=abc"}, "--lp: \"abc\" is not a number"},
        {{"--bias=15:0.1", "--vaux=15"}, "--bias and --vaux each give the bias winding"},
        {{"--ilimit=0"}, "--ilimit must be above 0"},
        {{"--turns=150:9", "--vor=100"}, "--turns fixes the reflected voltage"},
        {{"--turns=150:9", "--dmax=0.4"}, "--turns fixes the reflected voltage"},
        {{"--output=12:1:12"}, "the drop below the voltage"},
        {{"--output=12:1:19"}, "the drop below the voltage"},
        {{"--mains-vrms=600"}, "--mains-vrms must be below 600 V"},
        {{"--mains-vrms=0"}, "--mains-vrms must be from 1 to 1000 V"},
        {{"--pollution=4"}, "--pollution must be from 1 to 3"},
        {{"--pollution=2.5"}, "--pollution must be from 1 to 3, whole"},
        {{"--altitude=9000"}, "--altitude must be from 0 to 5000 m"},
        {{"--material-group=V"}, "--material-group must be I, II, IIIa or IIIb"},
        {{"--insulation=double"}, "--insulation must be auto, functional, basic or reinforced"},
        {{"--order=P-S-P", "--turns=1:1"}, "P-S-P"},
        {{"--qr", "--krp=0.5"}, "--qr and --krp each fix the inductance"},
        {{"--valley=2", "--lp=1e-3"}, "--valley and --lp each fix the inductance"},
        {{"--valley=0"}, "--valley: \"0\" is not K or K:L"},
        {{"--valley=2:1"}, "L not before K"},
        {{"--valley=1:21"}, "whole valleys from 1 to 20"},
        {{"--valley=1.5"}, "--valley: \"1.5\""},
        {{"--qr", "--cds=0"}, "--cds must be in farads from 1e-12 to 1e-07"},
        // Typed in picofarads, as the window's box shows it: 100 F.
        {{"--qr", "--cds=100"}, "(100 pF: 100e-12)"},
        {{"--qr", "--cds=0.2e-6"}, "--cds must be in farads"},
        {{"--fmax=-1"}, "--fmax above 0"},
        {{"--stack"}, "--stack needs at least two outputs"},
        {{"--stack", "--output=5:2"}, "--stack needs at least two outputs"},
        {{"--stack", "--output=5:2", "--output=12:1", "--order=S-P-S"},
         "--order S-P-S cannot split"},
    };
    for (const auto& [flags, said] : cases) {
        std::vector<std::string> args = With("--winding", kDefaults);
        args.insert(args.begin(), flags.begin(), flags.end());
        const Invocation run = Invoke(args);
        EXPECT_EQ(run.status, kExitUsage) << said;
        EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
    }
    // A reflected voltage the rating leaves no room for is the plan's error,
    // said in the JSON; a plan that fails exits as a failed --save does.
    const Invocation low =
        Invoke(With("--json", With("--vds-rating=400", With("--winding", kDefaults))));
    EXPECT_EQ(low.status, kExitCalculationFault);
    EXPECT_NE(
        nlohmann::json::parse(low.out)["winding"]["error"].get<std::string>().find("反射电压"),
        std::string::npos);
}

// Every number of the choices' table has its flag: given alone (with the
// flag it qualifies), it is read as the plan holds it, takes its way, and
// its help says the default the plan takes without it.
// The plan's flags as the command line parses them from `args`.
void ParseWindingFlags(const std::vector<std::string>& args, CLI::App& app, WindingFlags& flags) {
    AddWindingOptions(app, flags);
    std::vector<const char*> argv;
    argv.reserve(args.size());
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    app.parse(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLineTest, EveryChoiceOfTheTableHasItsFlag) {
    const catalogue::Catalogue& parts = catalogue::BuiltIn();
    for (const winding::ChoiceNumberInfo& info : winding::kChoiceNumbers) {
        if (info.flag.empty()) continue;  // a field of --bias
        SCOPED_TRACE(std::string(info.flag));
        // Counts (layers, turns) are whole.
        const bool count = winding::IsCount(info);
        const double middle = (info.low + info.high) / 2;
        const double held = (count ? std::round(middle) : middle) / info.shownPerHeld;
        std::vector<std::string> args = {"flyback-calc", "--winding"};
        if (!info.needs.empty()) args.push_back(std::string(info.needs) + "=650");
        args.push_back(std::string(info.flag) + "=" + runtime::decimal::ShortestText(held));
        CLI::App app;
        WindingFlags flags;
        ASSERT_NO_THROW(ParseWindingFlags(args, app, flags));
        winding::Options options;
        ASSERT_EQ(ReadWindingOptions(flags, parts, options), "");
        EXPECT_EQ(winding::HeldValue(options.choices, info.choice), held);
        if (info.vorSource) {
            EXPECT_EQ(options.choices.vorSource, *info.vorSource);
        }
        if (info.conduction) {
            EXPECT_EQ(options.choices.conduction, *info.conduction);
        }
        const std::string help = app.get_option(std::string(info.flag))->get_description();
        if (info.isDefault) {
            // In the flag's units, as it is read: 100 pF as 1e-10 (F).
            const double held = info.first / info.shownPerHeld;
            EXPECT_NE(help.find("(" + runtime::decimal::ShortestText(held) + ")"),
                      std::string::npos)
                << help;
        }
    }
}

// Each list option of its table has its flag: every name of its list is
// read to its place, and a name the list lacks is refused naming them all.
TEST(CommandLineTest, EveryListOptionOfTheTableHasItsFlag) {
    const catalogue::Catalogue& parts = catalogue::BuiltIn();
    const auto read = [&](const std::string& flag, winding::Options& options) {
        const std::vector<std::string> args = {"flyback-calc", "--winding", flag};
        CLI::App app;
        WindingFlags flags;
        ParseWindingFlags(args, app, flags);
        return ReadWindingOptions(flags, parts, options);
    };
    for (const winding::ListOptionInfo& info : winding::kListOptions) {
        SCOPED_TRACE(std::string(info.flag));
        for (std::size_t place = 0; place < info.names.size(); ++place) {
            winding::Options options;
            ASSERT_EQ(read(std::string(info.flag) + "=" + std::string(info.names[place]), options),
                      "");
            EXPECT_EQ(winding::ListValue(options, info.option), static_cast<int>(place));
        }
        winding::Options options;
        const std::string refused = read(std::string(info.flag) + "=sideways", options);
        EXPECT_EQ(refused.rfind(std::string(info.flag) + " must be ", 0), 0u) << refused;
        for (const std::string_view name : info.names)
            EXPECT_NE(refused.find(name), std::string::npos) << refused;
    }
}

// Quasi-resonant: --qr and its flags (each flag of the way alone selects
// it), the valleys read from K:L, and every corner's own frequency in the JSON.
TEST(CommandLineTest, QuasiResonantFlagsReachThePlanAndItsJson) {
    for (const std::vector<std::string>& flags :
         {std::vector<std::string>{"--qr", "--cds=150e-12", "--valley=1:4", "--fmax=90e3"},
          std::vector<std::string>{"--cds=150e-12", "--valley=1:4", "--fmax=90e3"}}) {
        std::vector<std::string> args = With("--winding", With("--json", kDefaults));
        args.insert(args.begin(), flags.begin(), flags.end());
        const Invocation run = Invoke(args);
        ASSERT_EQ(run.status, kExitOk) << run.err;
        const auto plan = nlohmann::json::parse(run.out)["winding"];
        const auto& choices = plan["choices"];
        EXPECT_EQ(choices["inductance_from"], "quasi_resonant");
        EXPECT_EQ(choices["Cds_F"], 150e-12);
        EXPECT_EQ(choices["valley"], 1);
        EXPECT_EQ(choices["last_valley"], 4);
        EXPECT_EQ(choices["fmax_Hz"], 90e3);
        for (const auto& corner : plan["corners"]) {
            EXPECT_TRUE(corner["f_Hz"].get<double>() <= 90e3 || corner["valley"] == 4) << corner;
            EXPECT_GE(corner["V_valley_V"].get<double>(), 0);
        }
    }
    // At a fixed frequency the corners carry none of it.
    const Invocation fixed = Invoke(With("--winding", With("--json", kDefaults)));
    const auto corner = nlohmann::json::parse(fixed.out)["winding"]["corners"][0];
    EXPECT_FALSE(corner.contains("f_Hz"));
}

// The choices reach the plan and its JSON: each output with its turns, the
// mode at both ends of the input, what was fixed.
TEST(CommandLineTest, ChoicesShapeThePlanAndItsJson) {
    const Invocation run =
        Invoke({"--json", "--winding", "--output=12:1.5", "--output=5:1:0.4", "--bias=15:0.02",
                "--krp=0.5", "--vds-rating=800", "30", "375", "100", "65", "80", "12"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    const auto plan = nlohmann::json::parse(run.out)["winding"];
    EXPECT_EQ(plan["mode"], "continuous");
    EXPECT_DOUBLE_EQ(plan["KRP"].get<double>(), 0.5);
    EXPECT_GT(plan["I_valley_A"].get<double>(), 0);
    EXPECT_EQ(plan["Vds_rating_V"], 800);
    EXPECT_LE(plan["Vds_peak_V"].get<double>(), 0.8 * 800 * 1.05);
    ASSERT_EQ(plan["outputs"].size(), 2u);
    EXPECT_EQ(plan["outputs"][0]["regulated"], true);
    EXPECT_EQ(plan["outputs"][1]["V_set"], 5);
    EXPECT_EQ(plan["windings"][1]["name"], "secondary 1");
    EXPECT_EQ(plan["windings"][2]["name"], "secondary 2");
    EXPECT_EQ(plan["windings"][3]["name"], "bias");
    EXPECT_GT(plan["windings"][3]["I_rms_A"].get<double>(), 0);
    EXPECT_EQ(plan["choices"]["vor_from"], "switch_rating");
    EXPECT_EQ(plan["choices"]["inductance_from"], "ripple");
    EXPECT_EQ(plan["P_out_W"], 23);
}

}  // namespace
}  // namespace flyback::cli

namespace flyback::cli {
namespace {

// The adviser from the command line: its JSON, CSV and plot; its own flags
// checked. The reflected voltage fixed keeps the search to a few hundred.
// The build sheet alone, for the winding shop, with the pins asked for; a
// supply without a plan writes none and says why.
TEST(CommandLineTest, TheBuildSheetIsWrittenAlone) {
    const auto folder = std::filesystem::temp_directory_path() / "flyback-calc-sheet-test";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "sheet.html").string();
    const Invocation run = Invoke(With(
        "--sheet=" + path, With("--pins=2,4,8", With("--vaux=15", With("--winding", kDefaults)))));
    ASSERT_EQ(run.status, kExitOk) << run.err;
    std::ifstream file(path);
    const std::string html((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    EXPECT_NE(html.find("— 变压器规格书</title>"), std::string::npos);
    EXPECT_NE(html.find("耐压测试"), std::string::npos);
    EXPECT_NE(html.find("引脚 2"), std::string::npos);
    std::filesystem::remove(path);
    const Invocation none = Invoke(With("--sheet=" + path, {"12", "850", "400", "65", "80", "12"}));
    EXPECT_EQ(none.status, kExitCalculationFault);
    EXPECT_NE(none.err.find("--sheet: "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path));
    std::filesystem::remove_all(folder);
}

// The cross-regulation bench of a corner: a letter a rail (the outputs,
// then the bias), every pair of windings coupled; the wrong count of
// letters, or a letter neither f nor l, is refused before anything is written.
TEST(CommandLineTest, TheCrossRegulationBenchTakesALetterARail) {
    const auto folder = std::filesystem::temp_directory_path() / "flyback-calc-spice-test";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "bench.cir").string();
    const std::vector<std::string> twoOutputs =
        With("--output=5:2", With("--output=12:1:0.7", With("--winding", kDefaults)));
    const struct {
        std::string loads;
        int status;
        const char* said;
    } cases[] = {
        {"lff", kExitUsage, "--spice-loads: the plan has 2 outputs with the bias"},
        {"fx", kExitUsage, "a letter f or l an output"},
        {"lf", kExitOk, ""},  // last: its netlist is read below
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path);
        const Invocation run =
            Invoke(With("--spice=" + path, With("--spice-loads=" + c.loads, twoOutputs)));
        EXPECT_EQ(run.status, c.status) << c.loads << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_EQ(std::filesystem::exists(path), c.status == kExitOk) << c.loads;
    }
    std::ifstream file(path);
    const std::string net((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(net.find("loads: s1 least s2 full"), std::string::npos);
    EXPECT_NE(net.find("\nKps1 Lp Ls1 "), std::string::npos);
    EXPECT_NE(net.find("\nKs1s2 Ls1 Ls2 "), std::string::npos);
    EXPECT_NE(net.find(".meas tran vrail2 AVG v(outs2)"), std::string::npos);
    // Stacked, the 12 V winding starts from the 5 V one's tap.
    const Invocation stacked =
        Invoke(With("--stack", With("--spice=" + path, With("--spice-loads=lf", twoOutputs))));
    EXPECT_EQ(stacked.status, kExitOk) << stacked.err;
    std::ifstream again(path);
    const std::string tapped((std::istreambuf_iterator<char>(again)),
                             std::istreambuf_iterator<char>());
    EXPECT_NE(tapped.find("\nX1 drain pf s1a 0 s2a s1a coupled_windings"), std::string::npos)
        << tapped;
    std::filesystem::remove_all(folder);
}

// "m0,m1,…": names no catalogue has.
std::string ManyUnknownNames(int count) {
    std::string names;
    for (int i = 0; i < count; ++i) names += (i ? ",m" : "m") + std::to_string(i);
    return names;
}

TEST(CommandLineTest, AdviseRanksCandidatesAndWritesItsFiles) {
    const std::vector<std::string> supply = {"12", "375", "120", "65", "80", "12"};
    const auto folder = std::filesystem::temp_directory_path() / "flyback-calc-advise-test";
    std::filesystem::create_directories(folder);
    const std::string csv = (folder / "all.csv").string(), svg = (folder / "front.svg").string();
    const Invocation run = Invoke(With(
        "--advise",
        With("--winding",
             With("--vor=90",  // 375 + 1.5 × 90 ≤ 0.8 × the 650 V switch assumed
                  With("--families=EFD",
                       With("--top=3", With("--json", With("--csv=" + csv,
                                                           With("--svg=" + svg, supply)))))))));
    ASSERT_EQ(run.status, kExitOk) << run.err;
    const auto json = nlohmann::json::parse(run.out)["advise"];
    EXPECT_EQ(json["vor_range_V"]["low"], 90);
    EXPECT_EQ(json["vds_rating_V"], 650);
    EXPECT_TRUE(json["vds_rating_assumed"].get<bool>());
    EXPECT_LE(json["top"].size(), 3u);
    EXPECT_GT(json["feasible"].get<long>(), 0);
    long counted = json["feasible"].get<long>() + json["pruned"].get<long>();
    for (const auto& [reason, count] : json["dropped_by"].items()) counted += count.get<long>();
    EXPECT_EQ(counted, json["candidates_tried"].get<long>());
    for (const auto& c : json["top"]) EXPECT_NEAR(c["Vor_V"].get<double>(), 90, 1e-9);
    // Each pick as handed on, planned again as it opens (on the assumed
    // switch, at its turns): the same drain voltage, and no caution of its
    // plan that its row does not show.
    for (const auto& c : json["top"]) {
        const std::string turns =
            std::to_string(c["Np"].get<int>()) + ":" + std::to_string(c["Ns"].get<int>());
        const Invocation opened = Invoke(
            With("--winding",
                 With("--json", With("--core=" + c["core"].get<std::string>(),
                                     With("--turns=" + turns, With("--vds-rating=650", supply))))));
        ASSERT_EQ(opened.status, kExitOk) << opened.err;
        const auto plan = nlohmann::json::parse(opened.out)["winding"];
        EXPECT_EQ(plan["Vds_peak_V"].get<double>(), c["Vds_V"].get<double>()) << turns;
        for (const auto& w : plan["warnings"]) {
            if (w["strength"] == "note") continue;
            const auto& shown = c["cautions"];
            EXPECT_NE(std::find(shown.begin(), shown.end(), w["code"]), shown.end())
                << turns << ": " << w["code"];
        }
    }
    std::ifstream rows(csv), plot(svg);
    std::string header,
        svgText((std::istreambuf_iterator<char>(plot)), std::istreambuf_iterator<char>());
    std::getline(rows, header);
    EXPECT_EQ(header.rfind("core,material,Np,Ns,", 0), 0u);
    EXPECT_EQ(svgText.rfind("<svg", 0), 0u);
    EXPECT_NE(svgText.find("class=\"front\""), std::string::npos);
    std::filesystem::remove_all(folder);

    const struct {
        std::vector<std::string> flags;
        const char* said;
    } wrong[] = {
        {{"--advise", "--rank=best"}, "--rank must be"},
        {{"--advise", "--rank=weighted", "--weights=1,2"}, "--weights expects"},
        {{"--advise", "--rank=weighted", "--weights=0,0,0"}, "--weights must not all be 0"},
        {{"--advise", "--rank=weighted", "--weights=1e308,1,1"},
         "--weights must each be from 0 to 1e+06"},
        {{"--advise", "--rank=weighted", "--weights=1,-0.5,1"},
         "--weights must each be from 0 to 1e+06"},
        {{"--advise", "--top=2.5"}, "--top must be a whole number from 1 to 1000"},
        {{"--advise", "--top=1001"}, "--top must be a whole number from 1 to 1000"},
        {{"--advise", "--rank=weighted", "--weights=inf,1,1"}, "--weights"},
        {{"--advise", "--top=0"}, "--top must be"},
        {{"--advise", "--winding", "--dmax=-1"}, "--dmax: \"-1\" is not from 0.05 to 0.95"},
        // A clamp below the reflected voltage was weighed as a bound.
        {{"--advise", "--winding", "--vds-rating=650", "--clamp-ratio=0.5"},
         "--clamp-ratio: \"0.5\" is not from 1.01 to 10"},
        {{"--advise", "--winding", "--vds-rating=650", "--derating=2"},
         "--derating: \"2\" is not from 0.1 to 1"},
        {{"--svg=x.svg"}, "--svg goes with"},
        // Each of these crashed the adviser or dropped a name without a word.
        {{"--advise", "--allowed-materials=nonexistent"}, "not in the catalogue: nonexistent;"},
        {{"--advise", "--allowed-materials=PC40"}, "without loss data to rank by: PC40"},
        {{"--advise", "--allowed-materials=N87,bogus"}, "not in the catalogue: bogus;"},
        {{"--advise", "--allowed-materials=" + ManyUnknownNames(10000)}, "(and 9995 more)"},
        {{"--advise", "--allowed-materials=bogus"}, "usable: all, N87"},
    };
    for (const auto& w : wrong) {
        std::vector<std::string> args = w.flags;
        args.insert(args.end(), supply.begin(), supply.end());
        const Invocation refused = Invoke(args);
        EXPECT_EQ(refused.status, kExitUsage) << w.said;
        EXPECT_NE(refused.err.find(w.said), std::string::npos) << refused.err;
    }
}

}  // namespace
}  // namespace flyback::cli
