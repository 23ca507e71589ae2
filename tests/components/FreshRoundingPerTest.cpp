// Every test of this program starts in the process's start rounding mode (nearest, ties to even),
// whatever an earlier test left behind: the first paint of a glass list box switches the mode for
// the rest of the process, so without this the outcome of a test would depend on the order tests
// run in.
#include <gtest/gtest.h>

#include <memory>

#include "platform/graphics/Rounding.h"

namespace veskel {
namespace {

class FreshRounding : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        scope_ = std::make_unique<ScopedRoundingModeForTesting>(RoundingMode::NearestEven);
    }
    void OnTestEnd(const ::testing::TestInfo&) override { scope_.reset(); }
    std::unique_ptr<ScopedRoundingModeForTesting> scope_;
};

const bool kInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshRounding);
    return true;
}();

}  // namespace
}  // namespace veskel
