// Every widget test needs the one application object before any fixture builds a widget.
#include <gtest/gtest.h>

#include "support/widgets_support.hpp"

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { mvtest::EnsureApplication(); }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace
