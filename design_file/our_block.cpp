#include "design_file/our_block.hpp"

#include "pins/pins.hpp"
#include "version/version.hpp"

namespace flyback::design_file {

namespace {

// Our block's names of the kinds, written and read by their index.

template <std::size_t N>
constexpr std::array<std::string_view, N> FileNames(const winding::WayInfo (&ways)[N]) {
    std::array<std::string_view, N> names{};
    for (std::size_t i = 0; i < N; ++i) names[i] = ways[i].fileName;
    return names;
}
constexpr auto kVorSourceNames = FileNames(winding::kVorSources);
constexpr auto kConductionNames = FileNames(winding::kConductions);

// The choices' numbers are written by their table, each after the way it
// belongs to; those a plan may be left to choose (the clamp voltage, the
// current limit) last, after the turns.
enum class Group { Plain, Vor, Conduction, LeftToThePlan };
Group GroupOf(const winding::ChoiceNumberInfo& info) {
    if (info.vorSource) return Group::Vor;
    if (info.conduction) return Group::Conduction;
    return info.none.empty() ? Group::Plain : Group::LeftToThePlan;
}

void AddNumbers(Object& object, const winding::Choices& c, Group group) {
    for (const winding::ChoiceNumberInfo& info : winding::kChoiceNumbers) {
        if (GroupOf(info) == group) object.Maybe(info.fileKey, winding::HeldValue(c, info.choice));
    }
}

Value Choices(Allocator& a, const winding::Choices& c) {
    Value outputs(rapidjson::kArrayType);
    for (const winding::OutputLoad& o : c.outputs) {
        Object row(a);
        const double values[] = {o.V, o.I_A, o.VF_V};
        for (std::size_t i = 0; i < std::size(values); ++i)
            row.Number(winding::kOutputColumns[i].fileKey, values[i]);
        row.Maybe(winding::kOutputColumns[winding::kLeastLoadColumn].fileKey, o.Imin_A);
        outputs.PushBack(row.Take(), a);
    }
    Value turns;
    if (c.FixedTurns()) {
        turns = Object(a)
                    .Add("Np", Value(c.Np))
                    .Add("Ns", Value(c.Ns))
                    .Add("Naux", c.Naux ? Value(*c.Naux) : Value())
                    .Take();
    }
    Object object(a);
    object.Add("outputs", std::move(outputs));
    AddNumbers(object, c, Group::Plain);
    object.String("vorSource", kVorSourceNames[static_cast<std::size_t>(c.vorSource)]);
    AddNumbers(object, c, Group::Vor);
    object.String("conduction", kConductionNames[static_cast<std::size_t>(c.conduction)]);
    AddNumbers(object, c, Group::Conduction);
    object.Add("turns", std::move(turns));
    AddNumbers(object, c, Group::LeftToThePlan);
    return object.Take();
}

Value Options(Allocator& a, const winding::Options& o) {
    Object object(a);
    Object insulation(a);
    const auto block = [&](winding::OptionBlock b) -> Object& {
        return b == winding::OptionBlock::Insulation ? insulation : object;
    };
    object.String("core", o.core)
        .Add("families", Strings(a, o.families))
        .String("material", o.material);
    for (const winding::NumberOptionInfo& info : winding::kNumberOptions) {
        const std::optional<double> held = winding::HeldValue(o, info.option);
        if (info.none.empty()) {
            block(info.block).Number(info.fileKey, *held);
        } else {
            block(info.block).Maybe(info.fileKey, held);
        }
    }
    for (const winding::ListOptionInfo& info : winding::kListOptions) {
        const int place = winding::ListValue(o, info.option);
        if (info.firstIsNone && place == 0) {
            block(info.block).Add(info.fileKey, Value());
        } else {
            block(info.block).String(info.fileKey, info.names[static_cast<std::size_t>(place)]);
        }
    }
    return object.Add("stack", Value(o.stack))
        .Add("insulation", insulation.Take())
        .Add("choices", Choices(a, o.choices))
        .Take();
}

}  // namespace

Value OurBlock(Allocator& a, const Design& d) {
    return Object(a)
        .String("program", "flyback-designer")
        .String("version", kProgramVersion)
        .Add("texts", Strings(a, {d.texts.begin(), d.texts.end()}))
        .Add("options", Options(a, d.options))
        .String("pins", pins::PinsText(d.pins))
        .Take();
}

namespace {

winding::Choices ReadChoices(const Reader& r) {
    winding::Choices c;
    for (const Reader& o : r.At("outputs").Items(winding::kMostOutputs)) {
        double values[winding::kLeastLoadColumn] = {};
        for (std::size_t i = 0; i < std::size(values); ++i)
            values[i] = o.At(winding::kOutputColumns[i].fileKey).Number();
        // Files from before outputs had a least load have none.
        const std::string_view least = winding::kOutputColumns[winding::kLeastLoadColumn].fileKey;
        c.outputs.push_back({values[0], values[1], values[2],
                             o.Has(least) ? o.At(least).MaybeNumber() : std::nullopt});
    }
    c.vorSource = static_cast<winding::VorSource>(IndexOf(kVorSourceNames, r.At("vorSource")));
    c.conduction = static_cast<winding::Conduction>(IndexOf(kConductionNames, r.At("conduction")));
    for (const winding::ChoiceNumberInfo& info : winding::kChoiceNumbers) {
        // A choice the plan may be left to make may be null; it and one with
        // a default may be missing, as in files from before they existed.
        if (!info.none.empty()) {
            winding::SetHeldValue(
                c, info.choice,
                r.Has(info.fileKey) ? r.At(info.fileKey).MaybeNumber() : std::nullopt);
        } else if (!info.isDefault || r.Has(info.fileKey)) {
            winding::SetHeldValue(c, info.choice, r.At(info.fileKey).Number());
        }
    }
    if (const Reader turns = r.At("turns"); !turns.IsNull()) {
        c.Np = turns.At("Np").Whole();
        c.Ns = turns.At("Ns").Whole();
        if (const Reader aux = turns.At("Naux"); !aux.IsNull()) c.Naux = aux.Whole();
    }
    return c;
}

winding::Options ReadOptions(const Reader& r) {
    winding::Options o;
    o.core = r.At("core").Text();
    for (const Reader& family : r.At("families").Items()) o.families.push_back(family.Text());
    o.material = r.At("material").Text();
    const Reader i = r.At("insulation");
    const auto block = [&](winding::OptionBlock b) -> const Reader& {
        return b == winding::OptionBlock::Insulation ? i : r;
    };
    // Files from before an option was kept have its default; one that may be
    // unset is null where it is.
    for (const winding::NumberOptionInfo& info : winding::kNumberOptions) {
        const Reader& where = block(info.block);
        if (!where.Has(info.fileKey)) continue;
        const Reader value = where.At(info.fileKey);
        winding::SetHeldValue(o, info.option,
                              info.none.empty() ? value.Number() : value.MaybeNumber());
    }
    // Files from before a list was kept (the shields) have its default.
    for (const winding::ListOptionInfo& info : winding::kListOptions) {
        const Reader& where = block(info.block);
        if (!where.Has(info.fileKey)) continue;
        const Reader value = where.At(info.fileKey);
        const bool none = info.firstIsNone && value.IsNull();
        winding::SetListValue(o, info.option, none ? 0 : IndexOf(info.names, value));
    }
    // Files from before outputs were stacked wind them apart.
    if (r.Has("stack")) o.stack = r.At("stack").Truth();
    o.choices = ReadChoices(r.At("choices"));
    return o;
}

}  // namespace

Design ReadOurs(const Reader& block) {
    Design d;
    const std::vector<Reader> texts = block.At("texts").Items();
    if (texts.size() != d.texts.size()) throw Unreadable{block.At("texts").path(), "须有六项"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        d.texts[i] = texts[i].Text();
        // What no input box takes when typed is not taken from a file either.
        if (d.texts[i].size() > numtext::kMaxInputText)
            throw Unreadable{texts[i].path(), "超过输入框的长度上限"};
    }
    d.options = ReadOptions(block.At("options"));
    const std::string pins = block.At("pins").Text();
    const auto read = pins::ReadPins(pins);
    if (!read) throw Unreadable{block.At("pins").path(), "不是引脚"};
    d.pins = *read;
    return d;
}

std::string ValuesProblem(const Design& d, const catalogue::Catalogue& parts) {
    if (const auto problem = winding::CheckOptions(d.options, parts))
        return winding::OptionProblemCaption(problem);
    if (const auto problem = winding::CheckChoices(d.options.choices))
        return winding::ChoiceProblemCaption(problem);
    if (std::string problem = winding::CombinationCaption(winding::CheckCombination(d.options));
        !problem.empty())
        return problem;
    return winding::InsulationProblem(d.options.insulation);
}

}  // namespace flyback::design_file
