// The Qt headers of the window tests, precompiled once per build folder: QtWidgets and QtTest
// are most of what a window test file costs to compile.
#pragma once

#include <QtTest>
#include <QtWidgets>
