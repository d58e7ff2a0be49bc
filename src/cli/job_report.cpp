// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/job_report.h"

#include <algorithm>
#include <cstdio>

namespace zentaro::cli {

namespace {

const char* EndingWord(StepResult result) {
    return result == StepResult::Stopped ? "stopped" : "failed";
}

// "1000-1002, 1005".
std::string Ranges(std::vector<uint64_t> numbers) {
    std::sort(numbers.begin(), numbers.end());
    std::string text;
    for (size_t i = 0; i < numbers.size();) {
        size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) {
            ++j;
        }
        text += (text.empty() ? "" : ", ") + std::to_string(numbers[i]);
        if (j > i) {
            text += "-" + std::to_string(numbers[j]);
        }
        i = j + 1;
    }
    return text;
}

}  // namespace

std::string ChipLine(const ProductionRecord& record) {
    const std::string prefix = record.port.empty() ? "" : record.port + ": ";
    const std::string serial = record.serial ? "serial " + std::to_string(*record.serial) : "";
    if (record.ok) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.2f s", record.seconds);
        return prefix + "passed, " + (serial.empty() ? "" : serial + ", ") + seconds;
    }
    const auto ended =
        std::find_if(record.steps.begin(), record.steps.end(), [](const ProductionStep& step) {
            return step.result == StepResult::Failed || step.result == StepResult::Stopped;
        });
    std::string line = prefix;
    line += ended == record.steps.end()
                ? "failed"
                : EndingWord(ended->result) + std::string(" at ") + ended->name;
    line += ": " + record.message;
    if (!serial.empty()) {
        line += " (" + serial + " given back)";
    }
    return line;
}

std::string RunSummary(const std::vector<ProductionRecord>& records) {
    size_t passed = 0;
    std::vector<uint64_t> used;
    for (const ProductionRecord& record : records) {
        if (record.ok) {
            ++passed;
            if (record.serial) {
                used.push_back(*record.serial);
            }
        }
    }
    std::string summary = std::to_string(passed) + (passed == 1 ? " chip" : " chips") +
                          " passed, " + std::to_string(records.size() - passed) + " failed";
    if (!used.empty()) {
        summary += "; serial numbers used: " + Ranges(std::move(used));
    }
    return summary;
}

}  // namespace zentaro::cli
