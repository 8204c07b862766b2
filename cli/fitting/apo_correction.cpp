#include "fitting/apo_correction.h"

#include "reporting/printable_text.h"
#include "settings/typed_text.h"
#include "usage_error.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

namespace miral::cli {
namespace {

struct TypeName {
    const char* name;
    ApoFilterType type;
    bool centre; ///< the frequency written is the shelf's centre, whatever else is given
};

constexpr TypeName kTypes[] = {
    {"pk", ApoFilterType::Peak, false},      {"peq", ApoFilterType::Peak, false},
    {"modal", ApoFilterType::Peak, false},   {"ls", ApoFilterType::LowShelf, false},
    {"lsc", ApoFilterType::LowShelf, true},  {"hs", ApoFilterType::HighShelf, false},
    {"hsc", ApoFilterType::HighShelf, true}, {"lp", ApoFilterType::LowPass, false},
    {"lpq", ApoFilterType::LowPass, false},  {"hp", ApoFilterType::HighPass, false},
    {"hpq", ApoFilterType::HighPass, false}, {"bp", ApoFilterType::BandPass, false},
    {"no", ApoFilterType::Notch, false},     {"ap", ApoFilterType::AllPass, false},
};

// Lines of the format that describe something other than one channel's parametric filters.
constexpr std::string_view kOtherCommands[] = {
    "channel", "device", "include", "graphiceq", "convolution", "delay", "copy",
    "stage",   "eval",   "if",      "elseif",    "else",        "endif", "loudnesscorrection"};

/// Shelf slope S when neither Q nor a slope is written.
constexpr double kDefaultShelfSlope = 0.9;
/// Q of the pass filters written without one: the second-order Butterworth response.
constexpr double kButterworthQ = std::numbers::sqrt2 / 2.0;

class LineReader {
public:
    LineReader(std::string_view text, std::string where) : where_(std::move(where)) {
        std::istringstream words{std::string(text)};
        for (std::string word; words >> word;)
            words_.push_back(lowerCase(word));
    }
    bool done() const { return next_ >= words_.size(); }
    const std::string& peek() const { return words_[next_]; }
    std::string take(const char* expected) {
        if (done())
            fail(expected);
        return words_[next_++];
    }
    bool takeIf(std::string_view word) {
        if (done() || peek() != word)
            return false;
        ++next_;
        return true;
    }
    /// A number, with `unit` ("hz", "db") attached to it or not.
    double number(const char* expected, std::string_view unit = {}) {
        std::string word = take(expected);
        if (!unit.empty() && word.size() > unit.size() && word.ends_with(unit))
            word.resize(word.size() - unit.size());
        for (char& c : word)
            if (c == ',')
                c = '.'; // decimal commas, as some locales write them
        double value = 0.0;
        const char* begin = word.data() + (word.starts_with('+') ? 1 : 0);
        const auto [end, error] = std::from_chars(begin, word.data() + word.size(), value);
        if (error != std::errc() || end != word.data() + word.size())
            fail(expected, word);
        if (!std::isfinite(value)) {
            const std::string_view what = std::string_view(expected).starts_with("a ")
                                              ? std::string_view(expected).substr(2)
                                              : std::string_view(expected);
            fail(("a finite " + std::string(what)).c_str(), word);
        }
        return value;
    }
    [[noreturn]] void fail(const char* expected, const std::string& found = {}) const {
        throw UsageError(where_ + "expected " + expected +
                         (found.empty() ? std::string(done() ? " at the end of the line" : "")
                                        : ", found \"" + printable(found) + "\""));
    }
    const std::string& where() const { return where_; }

private:
    std::vector<std::string> words_;
    size_t next_ = 0;
    std::string where_;
};

const TypeName* findType(std::string_view word) {
    for (const TypeName& type : kTypes)
        if (word == type.name)
            return &type;
    return nullptr;
}

/// A slope written after a shelf's type ("12dB", "12 dB", "6db"): S = slope / 12.
std::optional<double> shelfSlope(LineReader& reader) {
    if (reader.done())
        return std::nullopt;
    std::string word = reader.peek();
    if (word.empty() || !(std::isdigit(static_cast<unsigned char>(word.front())) || word[0] == '.'))
        return std::nullopt;
    const bool unitAttached = word.ends_with("db");
    if (unitAttached)
        word.resize(word.size() - 2);
    double slopeDb = 0.0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), slopeDb);
    if (error != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    reader.take("a slope");
    if (!unitAttached && !reader.takeIf("db"))
        reader.fail("\"dB\" after the slope");
    if (!(std::isfinite(slopeDb) && slopeDb > 0.0))
        reader.fail("a slope above 0 dB");
    return slopeDb / 12.0;
}

double positive(LineReader& reader, const char* what) {
    const double value = reader.number(what);
    if (!(value > 0.0))
        reader.fail((std::string(what) + " above 0").c_str(), std::to_string(value));
    return value;
}

/// The shelf's S from its Q, so that a shelf given by Q moves from its corner like one of the
/// same slope.
double slopeOfQ(double q, double gainDb) {
    const double a = std::pow(10.0, gainDb / 40.0);
    return 1.0 / ((1.0 / (q * q) - 2.0) / (a + 1.0 / a) + 1.0);
}

/// "ON TYPE ..." after "Filter N:". Returns nothing for a switched-off filter or an empty slot.
std::optional<ApoFilter> parseFilter(LineReader& reader, int line) {
    const std::string state = reader.take("ON or OFF");
    if (state == "off")
        return std::nullopt;
    if (state != "on")
        reader.fail("ON or OFF", state);
    const std::string typeWord = reader.take("a filter type");
    if (typeWord == "none")
        return std::nullopt;
    const TypeName* type = findType(typeWord);
    if (!type)
        reader.fail("a filter type (PK, LS, LSC, HS, HSC, LP, HP, BP, NO, AP...)", typeWord);
    ApoFilter filter;
    filter.type = type->type;
    filter.line = line;
    const bool shelf =
        filter.type == ApoFilterType::LowShelf || filter.type == ApoFilterType::HighShelf;
    if (shelf)
        filter.shelfSlope = shelfSlope(reader);
    std::optional<double> frequency, gain;
    while (!reader.done()) {
        const std::string key = reader.take("Fc, Gain, Q or BW");
        if (key == "fc") {
            frequency = reader.number("a frequency", "hz");
            reader.takeIf("hz");
        } else if (key == "gain") {
            gain = reader.number("a gain", "db");
            reader.takeIf("db");
        } else if (key == "q") {
            filter.q = positive(reader, "Q");
        } else if (key == "bw") {
            if (!reader.takeIf("oct"))
                reader.fail("\"Oct\" after BW");
            filter.octaves = positive(reader, "a bandwidth");
        } else {
            reader.fail("Fc, Gain, Q or BW", key);
        }
    }
    if (!frequency)
        reader.fail("Fc and a frequency");
    if (*frequency < 1.0)
        reader.fail("a frequency of 1 Hz or more", std::to_string(*frequency));
    filter.frequencyHz = *frequency;
    const bool gainUsed = shelf || filter.type == ApoFilterType::Peak;
    if (gainUsed && !gain)
        reader.fail("Gain and a gain in dB");
    filter.gainDb = gainUsed ? *gain : 0.0;
    if (filter.type == ApoFilterType::Peak && !filter.q && !filter.octaves)
        reader.fail("Q or BW Oct");
    if (filter.type == ApoFilterType::LowPass || filter.type == ApoFilterType::HighPass)
        filter.q = filter.q.value_or(kButterworthQ);
    if ((filter.type == ApoFilterType::BandPass || filter.type == ApoFilterType::Notch ||
         filter.type == ApoFilterType::AllPass) &&
        !filter.q && !filter.octaves)
        reader.fail("Q or BW Oct");
    if (shelf) {
        // LS and HS given by Q or slope are written by their corner: the design's centre lies the
        // shelf's half transition away from it, up for a low shelf. LSC and HSC, and shelves
        // given by neither, are written by their centre.
        const bool corner = !type->centre && (filter.q || filter.shelfSlope);
        if (!filter.q && !filter.shelfSlope)
            filter.shelfSlope = kDefaultShelfSlope;
        if (corner && filter.gainDb != 0.0) {
            const double slope =
                filter.shelfSlope ? *filter.shelfSlope : slopeOfQ(*filter.q, filter.gainDb);
            const double factor = std::pow(10.0, std::fabs(filter.gainDb) / (80.0 * slope));
            filter.frequencyHz *= filter.type == ApoFilterType::LowShelf ? factor : 1.0 / factor;
        }
    }
    return filter;
}

std::string_view commandName(std::string_view line, size_t colon) {
    std::string_view name = trimmed(line.substr(0, colon));
    // "Filter 3" and "Filter3" name the same command
    while (!name.empty() && std::isdigit(static_cast<unsigned char>(name.back())))
        name.remove_suffix(1);
    return trimmed(name);
}

} // namespace

ApoCorrection parseApoCorrection(std::istream& text, const std::string& name) {
    ApoCorrection correction;
    std::string line;
    for (int number = 1; std::getline(text, line); ++number) {
        std::string_view content = trimmed(line);
        if (number == 1 && content.starts_with("\xef\xbb\xbf"))
            content = trimmed(content.substr(3));
        if (content.empty() || content.front() == '#')
            continue;
        const std::string where = name + ":" + std::to_string(number) + ": ";
        const size_t colon = content.find(':');
        const std::string command = lowerCase(
            colon == std::string_view::npos ? std::string_view() : commandName(content, colon));
        LineReader reader(colon == std::string_view::npos ? "" : content.substr(colon + 1), where);
        if (command == "preamp") {
            correction.preampDb = reader.number("a gain in dB", "db");
            reader.takeIf("db");
            if (!reader.done())
                reader.fail("nothing after the preamp's gain", reader.peek());
        } else if (command == "filter") {
            if (std::optional<ApoFilter> filter = parseFilter(reader, number))
                correction.filters.push_back(*filter);
        } else {
            const bool known = std::find(std::begin(kOtherCommands), std::end(kOtherCommands),
                                         command) != std::end(kOtherCommands);
            std::string warning = where;
            if (known) {
                warning += '"';
                warning += trimmed(content.substr(0, colon));
                warning += ":\" is not used by the fit; skipped";
            } else {
                warning += "not a Preamp or Filter line; skipped";
            }
            correction.warnings.push_back(std::move(warning));
        }
    }
    if (text.bad())
        throw UsageError("cannot read " + name);
    if (correction.filters.empty())
        throw UsageError(name + ": no switched-on filter (expected \"Filter: ON PK Fc ... Hz "
                                "Gain ... dB Q ...\" lines)");
    return correction;
}

ApoCorrection readApoCorrection(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw UsageError("cannot read " + path + ": it is a directory");
    std::ifstream file(path);
    if (!file)
        throw UsageError("cannot read " + path);
    return parseApoCorrection(file, path);
}

BiquadCoefficients cookbookBiquad(const ApoFilter& filter, double sampleRateHz) {
    const double w0 = 2.0 * std::numbers::pi * filter.frequencyHz / sampleRateHz;
    const double cosW = std::cos(w0), sinW = std::sin(w0);
    const double a = std::pow(10.0, filter.gainDb / 40.0);
    double alpha = 0.0;
    if (filter.octaves)
        alpha = sinW * std::sinh(std::numbers::ln2 / 2.0 * *filter.octaves * w0 / sinW);
    else if (filter.q)
        alpha = sinW / (2.0 * *filter.q);
    else if (filter.shelfSlope)
        alpha = sinW / 2.0 * std::sqrt((a + 1.0 / a) * (1.0 / *filter.shelfSlope - 1.0) + 2.0);
    const double rootA2Alpha = 2.0 * std::sqrt(a) * alpha;
    double b0 = 1, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
    switch (filter.type) {
    case ApoFilterType::Peak:
        b0 = 1 + alpha * a, b1 = -2 * cosW, b2 = 1 - alpha * a;
        a0 = 1 + alpha / a, a1 = -2 * cosW, a2 = 1 - alpha / a;
        break;
    case ApoFilterType::LowShelf:
        b0 = a * ((a + 1) - (a - 1) * cosW + rootA2Alpha);
        b1 = 2 * a * ((a - 1) - (a + 1) * cosW);
        b2 = a * ((a + 1) - (a - 1) * cosW - rootA2Alpha);
        a0 = (a + 1) + (a - 1) * cosW + rootA2Alpha;
        a1 = -2 * ((a - 1) + (a + 1) * cosW);
        a2 = (a + 1) + (a - 1) * cosW - rootA2Alpha;
        break;
    case ApoFilterType::HighShelf:
        b0 = a * ((a + 1) + (a - 1) * cosW + rootA2Alpha);
        b1 = -2 * a * ((a - 1) + (a + 1) * cosW);
        b2 = a * ((a + 1) + (a - 1) * cosW - rootA2Alpha);
        a0 = (a + 1) - (a - 1) * cosW + rootA2Alpha;
        a1 = 2 * ((a - 1) - (a + 1) * cosW);
        a2 = (a + 1) - (a - 1) * cosW - rootA2Alpha;
        break;
    case ApoFilterType::LowPass:
        b0 = (1 - cosW) / 2, b1 = 1 - cosW, b2 = (1 - cosW) / 2;
        a0 = 1 + alpha, a1 = -2 * cosW, a2 = 1 - alpha;
        break;
    case ApoFilterType::HighPass:
        b0 = (1 + cosW) / 2, b1 = -(1 + cosW), b2 = (1 + cosW) / 2;
        a0 = 1 + alpha, a1 = -2 * cosW, a2 = 1 - alpha;
        break;
    case ApoFilterType::BandPass:
        b0 = alpha, b1 = 0, b2 = -alpha;
        a0 = 1 + alpha, a1 = -2 * cosW, a2 = 1 - alpha;
        break;
    case ApoFilterType::Notch:
        b0 = 1, b1 = -2 * cosW, b2 = 1;
        a0 = 1 + alpha, a1 = -2 * cosW, a2 = 1 - alpha;
        break;
    case ApoFilterType::AllPass:
        b0 = 1 - alpha, b1 = -2 * cosW, b2 = 1 + alpha;
        a0 = 1 + alpha, a1 = -2 * cosW, a2 = 1 - alpha;
        break;
    }
    return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

std::vector<double> correctionResponseDb(const ApoCorrection& correction, const std::string& name,
                                         const std::vector<double>& frequenciesHz,
                                         double sampleRateHz) {
    std::vector<double> gains(frequenciesHz.size(), 0.0);
    for (const ApoFilter& filter : correction.filters) {
        if (filter.frequencyHz >= sampleRateHz / 2.0)
            throw UsageError(name + ":" + std::to_string(filter.line) +
                             ": expected a frequency below the Nyquist frequency (" +
                             std::to_string(sampleRateHz / 2.0) + " Hz)");
        const BiquadCoefficients biquad = cookbookBiquad(filter, sampleRateHz);
        for (size_t i = 0; i < frequenciesHz.size(); ++i)
            // A notch's zero on the unit circle reads as a deep cut instead of minus infinity.
            gains[i] += std::max(magnitudeDb(biquad, frequenciesHz[i], sampleRateHz), -120.0);
    }
    return gains;
}

} // namespace miral::cli
