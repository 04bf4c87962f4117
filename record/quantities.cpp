#include "record/quantities.hpp"

namespace flyback::record {

using numtext::PressTrace;

const std::array<Quantity, 22> kQuantities{{
    {"P", "输出功率", "W", "“输出功率 W”的读数",
     [](const PressTrace& t) { return t.inputs.OutputPower; }},
    {"Vmax", "最大输入电压", "V", "“最大输入电压V”的读数",
     [](const PressTrace& t) { return t.inputs.MaxInputVoltage; }},
    {"Vmin", "最小输入电压", "V", "“最小输入电压V”的读数",
     [](const PressTrace& t) { return t.inputs.MinInputVoltage; }},
    {"f", "工作频率", "Hz", "“工作频率f(KHz)”的读数 × 1000",
     [](const PressTrace& t) { return t.inputs.Frequency; }},
    {"eta", "工作效率", "", "“工作效率(估计)%”的读数 ÷ 100",
     [](const PressTrace& t) { return t.inputs.Efficiency; }},
    {"Vo", "输出电压", "V", "“输出电压 V”的读数",
     [](const PressTrace& t) { return t.inputs.OutputVoltage; }},
    {"Ae_req", "所需磁芯截面积", "cm²", "√({P} × 20000 ÷ {f}) × 0.15",
     [](const PressTrace& t) { return t.results.RequiredCoreArea; }},
    {"core", "磁芯型号", "", "磁芯表中截面积上限 ≥ {Ae_req} cm² 的第一种（都不够大时写出这个数）",
     nullptr},
    {"Ae", "所用磁芯截面积", "cm²", "所选磁芯的截面积上限（都不够大时取所需的 {Ae_req} cm²）",
     [](const PressTrace& t) { return t.results.CoreArea; }},
    {"B", "磁通密度", "gauss", "2500", [](const PressTrace& t) { return t.results.FluxDensity; }},
    {"Vor", "反射电压", "V", "{Vmax} × 120 ÷ 368",
     [](const PressTrace& t) { return t.results.ReflectedVoltage; }},
    {"Vspike", "漏感尖峰电压", "V", "{Vmax} × 100 ÷ 368",
     [](const PressTrace& t) { return t.results.SpikeAllowance; }},
    {"Vceo", "晶体管耐压", "V", "{Vmax} + {Vor} + {Vspike}",
     [](const PressTrace& t) { return t.results.SwitchVoltage; }},
    {"Dmax", "最大占空比", "", "{Vor} ÷ ({Vor} + {Vmin})",
     [](const PressTrace& t) { return t.results.MaxDutyCycle; }},
    {"Lp", "初级电感量", "H", "{eta} × ({Vmin} × {Dmax})² ÷ (2 × {P} × {f})",
     [](const PressTrace& t) { return t.results.PrimaryInductance; }},
    {"Ipk", "初级峰值电流", "A", "2 × {P} ÷ ({eta} × {Vmin} × {Dmax})",
     [](const PressTrace& t) { return t.results.PeakCurrent; }},
    {"Isc", "晶体管电流", "A", "1.3 × {Ipk}",
     [](const PressTrace& t) { return t.results.SwitchCurrent; }},
    {"W", "储能", "J", "{Lp} × {Isc}² ÷ 2",
     [](const PressTrace& t) { return t.results.StoredEnergy; }},
    {"FG", "磁通密度与气隙之积", "gauss·cm", "0.8 × 3.14 × 10⁸ × {W} ÷ ({Ae} × {B})",
     [](const PressTrace& t) { return t.results.FluxGapProduct; }},
    {"Np", "初级匝数", "turns", "{FG} ÷ (0.4 × 3.14 × {Isc})",
     [](const PressTrace& t) { return t.results.PrimaryTurns; }},
    {"gap", "气隙", "mm", "{FG} ÷ {B} × 10",
     [](const PressTrace& t) { return t.results.GapLength; }},
    {"Ns", "次级匝数", "turns", "{Np} × ({Vo} + 0.5) × (1 − {Dmax}) ÷ ({Vmin} × {Dmax})",
     [](const PressTrace& t) { return t.results.SecondaryTurns; }},
}};

const Quantity* FindQuantity(std::string_view symbol) {
    for (const Quantity& quantity : kQuantities) {
        if (quantity.symbol == symbol) return &quantity;
    }
    return nullptr;
}

const Quantity& ResultQuantity(int box) {
    return *FindQuantity(numtext::kResultBoxes.at(static_cast<std::size_t>(box)).symbol);
}

}  // namespace flyback::record
