#include "design_file/excitations.hpp"

#include <algorithm>
#include <cmath>

namespace flyback::design_file {

double SampledMean(const std::vector<double>& time, const std::vector<double>& data) {
    const std::size_t n = std::min(time.size(), data.size());
    if (n < 2 || !(time[n - 1] > time[0])) return 0;
    double area = 0;
    for (std::size_t i = 1; i < n; ++i)
        area += (time[i] - time[i - 1]) * (data[i] + data[i - 1]) / 2;
    return area / (time[n - 1] - time[0]);
}

namespace {

struct Sampled {
    std::vector<double> time, data;
};

std::vector<double> Numbers(const Reader& array) {
    std::vector<double> numbers;
    for (const Reader& item : array.Items()) numbers.push_back(item.Number());
    return numbers;
}

std::optional<Sampled> SampledOf(const Reader& signal) {
    if (!signal.Has("waveform")) return std::nullopt;
    const Reader waveform = signal.At("waveform");
    if (!waveform.Has("time") || !waveform.Has("data")) return std::nullopt;
    Sampled s{Numbers(waveform.At("time")), Numbers(waveform.At("data"))};
    if (s.time.size() < 2 || s.time.size() != s.data.size())
        throw Unreadable{waveform.path(), "采样点的时间与数值个数不一致"};
    return s;
}

double Field(const Reader& processed, std::string_view key) {
    return processed.At(key).Number();
}

// The primary's voltage while the switch is on and while the secondaries
// conduct, and the duty: from the samples, else from the positive and
// negative peaks, else from a rectangle of zero mean.
void PrimaryVoltage(const Reader& voltage, ExcitedPoint& p) {
    const Reader processed = voltage.At("processed");
    p.duty = Field(processed, "dutyCycle");
    if (const auto s = SampledOf(voltage)) {
        p.Von_V = *std::max_element(s->data.begin(), s->data.end());
        p.Voff_V = -*std::min_element(s->data.begin(), s->data.end());
    } else if (processed.Has("positivePeak") && processed.Has("negativePeak")) {
        p.Von_V = Field(processed, "positivePeak");
        p.Voff_V = -Field(processed, "negativePeak");
    } else {
        const double swing = Field(processed, "peakToPeak");
        p.Von_V = swing * (1 - p.duty);
        p.Voff_V = swing * p.duty;
    }
    if (!(p.duty > 0 && p.duty < 1) || !(p.Von_V > 0) || !(p.Voff_V > 0))
        throw Unreadable{voltage.path(), "不是反激初级的电压：开通与关断期间须一正一负"};
}

// A ramp's valley and peak by its label: a flyback's offset is its valley;
// a triangle's is its centre.
std::pair<double, double> Ramp(const Reader& processed) {
    const std::string label = processed.At("label").Text();
    const double swing = Field(processed, "peakToPeak"), offset = Field(processed, "offset");
    if (label.starts_with("flyback")) return {offset, offset + swing};
    if (label == "triangular") return {offset - swing / 2, offset + swing / 2};
    throw Unreadable{processed.At("label").path(), "“" + label + "”不是反激绕组的电流波形"};
}

// A winding's mean current over the period: from the samples, else from its
// ramp over the time it conducts (the primary's the duty; a secondary's until
// its volt-seconds balance the primary's, or the rest of the period).
WindingExcitation Current(const Reader& current, bool primary, const ExcitedPoint& p) {
    if (const auto s = SampledOf(current)) {
        return {primary, SampledMean(s->time, s->data),
                *std::max_element(s->data.begin(), s->data.end())};
    }
    const auto [valley, peak] = Ramp(current.At("processed"));
    const double conducts = primary ? p.duty : std::min(1 - p.duty, p.duty * p.Von_V / p.Voff_V);
    return {primary, conducts * (valley + peak) / 2, peak};
}

}  // namespace

ExcitedPoint ReadExcitedPoint(const Reader& point, const std::vector<bool>& primarySide) {
    const std::vector<Reader> excitations = point.At("excitationsPerWinding").Items();
    if (excitations.size() != primarySide.size())
        throw Unreadable{point.path(), "激励个数与绕组个数不一致"};
    const auto primary = std::find(primarySide.begin(), primarySide.end(), true);
    if (primary == primarySide.end()) throw Unreadable{point.path(), "没有初级绕组"};
    const Reader& first = excitations[static_cast<std::size_t>(primary - primarySide.begin())];
    ExcitedPoint p;
    p.frequency_Hz = first.At("frequency").Number();
    if (!(p.frequency_Hz > 0)) throw Unreadable{first.At("frequency").path(), "须大于零"};
    PrimaryVoltage(first.At("voltage"), p);
    for (std::size_t i = 0; i < excitations.size(); ++i) {
        const bool isPrimary = i == static_cast<std::size_t>(primary - primarySide.begin());
        p.windings.push_back(Current(excitations[i].At("current"), isPrimary, p));
        p.windings.back().primarySide = primarySide[i];
    }
    return p;
}

}  // namespace flyback::design_file
