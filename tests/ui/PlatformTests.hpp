#pragma once

#include <QObject>
#include <vector>

namespace drawlume::testing {

// Each test file of the platform tests registers its test object here.
std::vector<QObject*>& platformTests();

template <class Test>
struct RegisterPlatformTest {
    RegisterPlatformTest() { platformTests().push_back(new Test()); }
};

inline std::vector<QObject*>& platformTests() {
    static std::vector<QObject*> tests;
    return tests;
}

}  // namespace drawlume::testing
