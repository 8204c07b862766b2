#include "fitting/frequency_curve.h"

#include "reporting/printable_text.h"
#include "settings/typed_text.h"
#include "usage_error.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace miral::cli {
namespace {

/// A row's fields: separated by commas where the row has any (an empty field is a missing value),
/// else by runs of white space.
std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    const bool commas = line.find(',') != std::string_view::npos;
    size_t start = 0;
    while (start <= line.size()) {
        size_t end = commas ? line.find(',', start) : line.find_first_of(" \t", start);
        if (end == std::string_view::npos)
            end = line.size();
        const std::string_view field = trimmed(line.substr(start, end - start));
        if (commas || !field.empty())
            fields.push_back(field);
        start = end + 1;
    }
    return fields;
}

std::optional<double> numberOf(std::string_view text) {
    double value = 0.0;
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

struct Table {
    std::vector<std::string> header;
    std::vector<std::pair<int, std::vector<std::string>>> rows; ///< line number, fields
};

Table readTable(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw UsageError("cannot read " + path + ": it is a directory");
    std::ifstream file(path);
    if (!file)
        throw UsageError("cannot read " + path);
    Table table;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        std::string_view content = line;
        if (const size_t hash = content.find('#'); hash != std::string_view::npos)
            content = content.substr(0, hash);
        content = trimmed(content);
        if (content.empty())
            continue;
        const std::vector<std::string_view> fields = fieldsOf(content);
        if (table.header.empty() && table.rows.empty() && !numberOf(fields.front())) {
            for (const std::string_view field : fields)
                table.header.push_back(lowerCase(field));
            continue;
        }
        table.rows.push_back({number, {fields.begin(), fields.end()}});
    }
    if (file.bad())
        throw UsageError("cannot read " + path);
    if (table.rows.empty())
        throw UsageError(path + ": no rows of numbers (expected \"frequency gain_db\" lines)");
    return table;
}

size_t gainColumn(const Table& table, const std::string& path,
                  const std::optional<std::string>& column) {
    if (column) {
        const auto found = std::find(table.header.begin(), table.header.end(), lowerCase(*column));
        if (found == table.header.end())
            throw UsageError(path + ": no column named \"" + *column + "\"" +
                             (table.header.empty() ? " (the file has no header line)" : ""));
        return size_t(found - table.header.begin());
    }
    const auto equalization =
        std::find(table.header.begin(), table.header.end(), std::string("equalization"));
    return equalization != table.header.end() ? size_t(equalization - table.header.begin()) : 1;
}

std::string at(const std::string& path, int line) {
    return path + ":" + std::to_string(line) + ": ";
}

double finiteField(const std::vector<std::string>& fields, size_t index, const std::string& where,
                   const char* what) {
    if (index >= fields.size())
        throw UsageError(where + "expected " + std::to_string(index + 1) + " columns, found " +
                         std::to_string(fields.size()));
    const std::optional<double> value = numberOf(fields[index]);
    if (!value || !std::isfinite(*value))
        throw UsageError(where + "expected a finite " + what + ", found \"" +
                         printable(fields[index]) + "\"");
    return *value;
}

FrequencyCurve readColumns(const std::string& path, std::optional<size_t> gainIndex) {
    const Table table = readTable(path);
    FrequencyCurve curve;
    for (const auto& [line, fields] : table.rows) {
        const std::string where = at(path, line);
        const double frequencyHz = finiteField(fields, 0, where, "frequency");
        if (frequencyHz <= 0.0)
            throw UsageError(where + "expected a positive frequency, found " + fields[0]);
        if (!curve.frequenciesHz.empty() && frequencyHz <= curve.frequenciesHz.back())
            throw UsageError(where + "expected frequencies in increasing order");
        curve.frequenciesHz.push_back(frequencyHz);
        if (gainIndex)
            curve.gainsDb.push_back(finiteField(fields, *gainIndex, where, "gain in dB"));
    }
    return curve;
}

} // namespace

std::vector<double> logFrequencies(double fromHz, double toHz, int points) {
    std::vector<double> frequencies;
    frequencies.reserve(size_t(points));
    const double ratio = points > 1 ? std::log(toHz / fromHz) / (points - 1) : 0.0;
    for (int i = 0; i < points; ++i)
        frequencies.push_back(i == points - 1 && points > 1 ? toHz : fromHz * std::exp(ratio * i));
    return frequencies;
}

FrequencyCurve readCurveFile(const std::string& path, const std::optional<std::string>& column) {
    const Table header = readTable(path);
    return readColumns(path, gainColumn(header, path, column));
}

std::vector<double> readFrequencyFile(const std::string& path) {
    return readColumns(path, std::nullopt).frequenciesHz;
}

double curveGainDb(const FrequencyCurve& curve, double frequencyHz) {
    const std::vector<double>& f = curve.frequenciesHz;
    if (frequencyHz <= f.front())
        return curve.gainsDb.front();
    if (frequencyHz >= f.back())
        return curve.gainsDb.back();
    const size_t upper = size_t(std::upper_bound(f.begin(), f.end(), frequencyHz) - f.begin());
    const double t = std::log(frequencyHz / f[upper - 1]) / std::log(f[upper] / f[upper - 1]);
    return curve.gainsDb[upper - 1] + t * (curve.gainsDb[upper] - curve.gainsDb[upper - 1]);
}

} // namespace miral::cli
