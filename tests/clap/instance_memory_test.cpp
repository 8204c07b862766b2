// What a CLAP instance costs while its editor is closed (hosts keep many of them).
#include "clap_test_host.h"

#include "test_support/heap_in_use.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace miral::clap_test {
namespace {

constexpr size_t kInstances = 100;
constexpr size_t kMostBytesPerInstance = 64 * 1024;

TEST(ClapInstanceMemory, AnInstanceWithoutAnEditorCostsAtMost64KiB) {
    // What the first instance sets up for the whole process is not any instance's cost.
    const Instance first;
    ASSERT_TRUE(first.valid());
    std::vector<std::unique_ptr<Instance>> instances;
    instances.reserve(kInstances);
    const size_t before = testing::heapBytesInUse();
    for (size_t i = 0; i < kInstances; ++i) {
        instances.push_back(std::make_unique<Instance>());
        ASSERT_TRUE(instances.back()->valid());
    }
    const size_t perInstance = (testing::heapBytesInUse() - before) / kInstances;
    std::printf("CLAP instance without an editor: %zu bytes\n", perInstance);
    EXPECT_LE(perInstance, kMostBytesPerInstance);
}

} // namespace
} // namespace miral::clap_test
