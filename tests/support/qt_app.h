// One toolkit (and so one QApplication) for a whole test program, made on first use.
#pragma once

#include "platform/qt/qt_toolkit.h"

inline qtbackend::TQtToolkit& TestToolkit() {
    static int Argc = 1;
    static char Name[] = "feedloom-test";
    static char* Argv[] = {Name, nullptr};
    static qtbackend::TQtToolkit Toolkit(Argc, Argv);
    return Toolkit;
}
