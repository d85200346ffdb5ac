#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <deque>
#include <functional>

#include "app/PrintPrompts.h"

// Answers the printer dialogs from a script, recording "PRINT SETUP" and
// "PRINT" in the same list as the other prompts, so a test sees them in order.
class ScriptedPrintPrompts : public PrintPrompts {
public:
    explicit ScriptedPrintPrompts(QStringList& shown) : shown_(shown) {}

    // For Print: each sets the printer up as the user would and says whether to print.
    std::deque<std::function<bool(QPrinter&)>> printAnswers;
    // For PrintSetup: each changes the printer as the user would; none leaves it as it is.
    std::deque<std::function<void(QPrinter&)>> printSetupAnswers;

    void PrintSetup(QPrinter& printer) override {
        shown_ << "PRINT SETUP";
        if (printSetupAnswers.empty()) return;
        auto answer = printSetupAnswers.front();
        printSetupAnswers.pop_front();
        answer(printer);
    }

    bool Print(QPrinter& printer) override {
        shown_ << "PRINT";
        if (printAnswers.empty()) {
            ADD_FAILURE() << "print dialog shown without a scripted answer";
            return false;
        }
        auto answer = printAnswers.front();
        printAnswers.pop_front();
        return answer(printer);
    }

private:
    QStringList& shown_;
};
