#include "palette.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <utility>

namespace miral::artwork {
namespace {

constexpr size_t kMaxColours = 256;
constexpr size_t kExactColours = 96; // most frequent colours kept as they are

using Weighted = std::pair<uint32_t, uint64_t>; // colour, pixel count

int channel(uint32_t colour, int which) {
    return int(colour >> (16 - 8 * which)) & 0xFF;
}

/// The widest channel of a set of colours and its extent.
std::pair<int, int> widestChannel(const std::vector<Weighted>& colours) {
    int best = 0;
    int bestExtent = -1;
    for (int which = 0; which < 3; ++which) {
        int low = 255;
        int high = 0;
        for (const auto& [colour, count] : colours) {
            low = std::min(low, channel(colour, which));
            high = std::max(high, channel(colour, which));
        }
        if (high - low > bestExtent) {
            bestExtent = high - low;
            best = which;
        }
    }
    return {best, bestExtent};
}

uint32_t weightedMean(const std::vector<Weighted>& colours) {
    std::array<uint64_t, 3> sums{};
    uint64_t total = 0;
    for (const auto& [colour, count] : colours) {
        for (int which = 0; which < 3; ++which)
            sums[size_t(which)] += uint64_t(channel(colour, which)) * count;
        total += count;
    }
    uint32_t mean = 0;
    for (int which = 0; which < 3; ++which)
        mean = (mean << 8) | uint32_t((sums[size_t(which)] + total / 2) / total);
    return mean;
}

/// Splits the colours into at most `boxes` groups along their widest channels at the weighted
/// median; one palette entry per group.
std::vector<uint32_t> medianCut(std::vector<Weighted> colours, size_t boxes) {
    std::vector<std::vector<Weighted>> groups;
    if (!colours.empty())
        groups.push_back(std::move(colours));
    while (groups.size() < boxes) {
        size_t widest = groups.size();
        int widestExtent = 0;
        for (size_t i = 0; i < groups.size(); ++i) {
            const int extent = groups[i].size() > 1 ? widestChannel(groups[i]).second : 0;
            if (extent > widestExtent) {
                widestExtent = extent;
                widest = i;
            }
        }
        if (widest == groups.size())
            break;
        std::vector<Weighted>& group = groups[widest];
        const int which = widestChannel(group).first;
        std::sort(group.begin(), group.end(), [which](const Weighted& a, const Weighted& b) {
            return std::make_pair(channel(a.first, which), a.first) <
                   std::make_pair(channel(b.first, which), b.first);
        });
        uint64_t total = 0;
        for (const auto& entry : group)
            total += entry.second;
        uint64_t running = 0;
        size_t split = 1;
        for (; split < group.size() - 1; ++split) {
            running += group[split - 1].second;
            if (running * 2 >= total)
                break;
        }
        std::vector<Weighted> upper(group.begin() + std::ptrdiff_t(split), group.end());
        group.resize(split);
        groups.push_back(std::move(upper));
    }
    std::vector<uint32_t> palette;
    for (const auto& group : groups)
        palette.push_back(weightedMean(group));
    return palette;
}

bool isHidden(const std::vector<toolkit::CBox>& hidden, int32_t x, int32_t y) {
    return std::any_of(hidden.begin(), hidden.end(), [x, y](const toolkit::CBox& box) {
        return box.contains({x, y});
    });
}

uint8_t nearestEntry(const std::vector<uint32_t>& palette, uint32_t colour) {
    size_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (size_t i = 0; i < palette.size(); ++i) {
        int distance = 0;
        for (int which = 0; which < 3; ++which) {
            const int d = channel(palette[i], which) - channel(colour, which);
            distance += d * d;
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return uint8_t(best);
}

} // namespace

IndexedPicture reduceColours(const Picture& picture, const std::vector<toolkit::CBox>& hidden) {
    std::map<uint32_t, uint64_t> counts;
    for (int32_t y = 0; y < picture.height; ++y)
        for (int32_t x = 0; x < picture.width; ++x)
            if (!isHidden(hidden, x, y))
                ++counts[picture.at(x, y)];
    if (counts.empty())
        counts[picture.pixels.front()] = 1;

    std::vector<Weighted> byFrequency(counts.begin(), counts.end());
    std::stable_sort(byFrequency.begin(), byFrequency.end(),
                     [](const Weighted& a, const Weighted& b) { return a.second > b.second; });

    std::vector<uint32_t> palette;
    if (byFrequency.size() <= kMaxColours) {
        for (const auto& entry : byFrequency)
            palette.push_back(entry.first);
    } else {
        for (size_t i = 0; i < kExactColours; ++i)
            palette.push_back(byFrequency[i].first);
        std::vector<Weighted> rest(byFrequency.begin() + std::ptrdiff_t(kExactColours),
                                   byFrequency.end());
        for (uint32_t entry : medianCut(std::move(rest), kMaxColours - kExactColours))
            palette.push_back(entry);
    }

    IndexedPicture result{picture.width, picture.height, palette, {}};
    std::map<uint32_t, uint8_t> chosen;
    result.indices.reserve(picture.pixels.size());
    for (uint32_t colour : picture.pixels) {
        auto found = chosen.find(colour);
        if (found == chosen.end())
            found = chosen.emplace(colour, nearestEntry(palette, colour)).first;
        result.indices.push_back(found->second);
    }
    return result;
}

} // namespace miral::artwork
