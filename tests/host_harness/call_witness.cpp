#include "call_witness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace miral::harness {
namespace {

std::vector<std::string>& allowedOutputs() {
    static std::vector<std::string> outputs;
    return outputs;
}

std::atomic<uint64_t> verified{0};

bool isAllowed(const std::string& printed) {
    if (printed.empty())
        return true;
    for (const std::string& allowed : allowedOutputs())
        if (printed == allowed)
            return true;
    return false;
}

} // namespace

void CallWitness::verify(const char* what, int64_t argument) {
    const std::string printed = output_.take();
    const GlobalState after = currentGlobalState();
    ++verified;
    if (!(after == before_))
        ADD_FAILURE() << what << " (" << argument << ") changed the process's global state from "
                      << describe(before_) << " to " << describe(after);
    EXPECT_TRUE(isAllowed(printed))
        << what << " (" << argument << ") printed \"" << printed << "\"";
}

void CallWitness::allowOutput(std::string text) {
    allowedOutputs().push_back(std::move(text));
}

uint64_t CallWitness::verifiedCalls() {
    return verified;
}

} // namespace miral::harness
