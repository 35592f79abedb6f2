// The main of a window test: Qt on the offscreen platform (no display
// needed), prepared as the program prepares it (its look, Qt's Czech texts),
// then the test object's slots.
#pragma once

#include "shell/window/Application.h"

#include <QApplication>
#include <QTest>

#define KELMORA_GUI_TEST_MAIN(TestClass)                                                           \
    int main(int argc, char** argv) {                                                              \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {                                       \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        }                                                                                          \
        QApplication app(argc, argv);                                                              \
        kelmora::PrepareApplication(app);                                                          \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
