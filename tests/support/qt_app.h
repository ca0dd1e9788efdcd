// One toolkit (and so one QApplication) for a whole test program. It is made before
// the first test and destroyed after the last one, inside the test run: Qt must not
// be torn down by the exit handlers, after its own globals are gone.
#pragma once

#include <gtest/gtest.h>

#include "platform/qt/qt_toolkit.h"

namespace testsupport {

class TQtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int Argc = 1;
        static char Name[] = "feedloom-test";
        static char* Argv[] = {Name, nullptr};
        Toolkit() = new qtbackend::TQtToolkit(Argc, Argv);
    }
    void TearDown() override {
        delete Toolkit();
        Toolkit() = nullptr;
    }
    static qtbackend::TQtToolkit*& Toolkit() {
        static qtbackend::TQtToolkit* T = nullptr;
        return T;
    }
};

inline const bool QtEnvironmentRegistered =
    (::testing::AddGlobalTestEnvironment(new TQtTestEnvironment), true);

} // namespace testsupport

inline qtbackend::TQtToolkit& TestToolkit() { return *testsupport::TQtTestEnvironment::Toolkit(); }
