// SPDX-License-Identifier: GPL-3.0-or-later
#include "production/chip_job.h"

#include <chrono>
#include <utility>
#include <vector>

#include "common/exit_status.h"
#include "production/serial_number.h"

namespace zentaro {

namespace {

// What one memory step writes: the image with the serial number in it, and the range.
struct MemoryWrite {
    std::vector<uint8_t> bytes;
    uint32_t first = 0;
    uint32_t last = 0;
};

class ChipJob {
public:
    ChipJob(Session& session, const PreparedJob& job, SerialCounter* counter,
            const ChipJobControl& control)
        : session_(session), job_(job), counter_(counter), control_(control) {}

    ProductionRecord Run() {
        const auto start = std::chrono::steady_clock::now();
        record_.port = session_.Board().port;
        record_.board = session_.Board().identifier;
        record_.device = job_.settings.device;
        PlanSteps();
        if (ReadSignature() && PrepareWrites()) {
            RunSteps();
        } else {
            EndRemainingSteps(0);
        }
        SettleNumber();
        session_.CloseConfig();
        record_.ok = record_.exit == kExitOk;
        record_.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        record_.time = std::chrono::system_clock::now();
        return std::move(record_);
    }

private:
    using Step = StepResult (ChipJob::*)();

    // The steps the job asks for, in the order they run.
    void PlanSteps() {
        const ConfigWrite& fuses = job_.fuses;
        const struct {
            const char* name;
            bool asked;
            Step body;
        } steps[] = {
            {"erase", job_.settings.erase, &ChipJob::Erase},
            {"flash", job_.flash.has_value(), &ChipJob::Flash},
            {"eeprom", job_.eeprom.has_value(), &ChipJob::Eeprom},
            {"serial", job_.settings.serial.has_value(), &ChipJob::Serial},
            {"fuses", fuses[1] || fuses[2] || fuses[3], &ChipJob::Fuses},
            {"lock", fuses[0].has_value(), &ChipJob::Lock},
        };
        for (const auto& step : steps) {
            if (step.asked) {
                record_.steps.push_back({step.name, StepResult::Skipped});
                bodies_.push_back(step.body);
            }
        }
    }

    void RunSteps() {
        for (size_t i = 0; i < bodies_.size(); ++i) {
            StepResult& result = record_.steps[i].result;
            if (const int stop = control_.stopStatus(); stop != 0) {
                record_.exit = stop;
                record_.message = "stopped before the " + record_.steps[i].name + " step";
                result = StepResult::Stopped;
            } else {
                result = (this->*bodies_[i])();
            }
            if (result != StepResult::Ok) {
                EndRemainingSteps(i + 1);
                return;
            }
        }
        record_.exit = kExitOk;
        if (record_.message.empty()) {
            record_.message = "chip done";
        }
    }

    // Marks the steps from first on as not run: stopped after a stop, skipped otherwise.
    void EndRemainingSteps(size_t first) {
        const bool stopped = control_.stopStatus() != 0;
        for (size_t i = first; i < record_.steps.size(); ++i) {
            if (record_.steps[i].result == StepResult::Skipped && stopped) {
                record_.steps[i].result = StepResult::Stopped;
            }
        }
    }

    // Takes the outcome of a session command as the step's; the message is what the board or
    // the command said last.
    StepResult Outcome(const SessionResult& result) {
        std::string said = result.status;
        if (!result.Ok() && !result.notices.empty()) {
            said = result.notices.back();
        }
        if (!result.Ok() && !result.refusal.empty()) {
            said = result.refusal;
        }
        if (!said.empty()) {
            record_.message = said;
        }
        if (result.Ok()) {
            record_.exit = kExitOk;
            return StepResult::Ok;
        }
        const int stop = control_.stopStatus();
        record_.exit = stop != 0 ? stop : kExitFailed;
        return stop != 0 || result.outcome == CommandOutcome::Canceled ? StepResult::Stopped
                                                                       : StepResult::Failed;
    }

    bool ReadSignature() {
        const SessionResult read = session_.ReadInfo();
        if (read.info && read.info->signatureRead) {
            record_.signature = read.info->signature;
            return true;
        }
        const int stop = control_.stopStatus();
        record_.exit = stop != 0 ? stop : kExitFailed;
        record_.message = stop != 0 ? "stopped before the chip's signature was read"
                                    : "the board did not read the chip's signature";
        return false;
    }

    // The images this chip gets, with its serial number reserved and merged in.
    bool PrepareWrites() {
        flash_ = ImageToWrite(job_.flash);
        eeprom_ = ImageToWrite(job_.eeprom);
        if (!job_.settings.serial) {
            return true;
        }
        const SerialRule& rule = *job_.settings.serial;
        const CounterResult reserved = counter_->Reserve();
        if (!reserved.ok) {
            record_.exit = kExitFile;
            record_.message = reserved.message;
            return false;
        }
        record_.serial = reserved.number;
        const SerialBytesResult spelled = SerialBytes(rule, reserved.number);
        if (!spelled.Ok()) {
            record_.exit = kExitFailed;
            record_.message = "serial number " + spelled.error;
            return false;
        }
        std::optional<MemoryWrite>& target = rule.memory == ImageMemory::Flash ? flash_ : eeprom_;
        if (!target) {
            const DeviceRecord& device = session_.Device();
            const uint32_t size =
                rule.memory == ImageMemory::Flash ? device.flashSize : device.eepromSize;
            serialAlone_ = MemoryWrite{.bytes = std::vector<uint8_t>(size, 0xFF),
                                       .first = rule.address,
                                       .last = rule.address + rule.size - 1};
        }
        MemoryWrite& write = target ? *target : *serialAlone_;
        // The job file was checked against the device: the number always fits.
        static_cast<void>(MergeSerial(write.bytes, rule, spelled.bytes));
        write.last = std::max(write.last, rule.address + rule.size - 1);
        return true;
    }

    static std::optional<MemoryWrite> ImageToWrite(const std::optional<JobImage>& image) {
        if (!image) {
            return std::nullopt;
        }
        return MemoryWrite{.bytes = image->bytes, .first = 0, .last = image->last};
    }

    void SettleNumber() {
        if (!record_.serial) {
            return;
        }
        const CounterResult settled = record_.exit == kExitOk ? counter_->Confirm(*record_.serial)
                                                              : counter_->GiveBack(*record_.serial);
        if (!settled.ok) {
            record_.message += "; " + settled.message;
        }
    }

    StepResult Erase() { return Outcome(session_.EraseChip()); }

    // Each chip's images are written once: the bytes go to the session.
    StepResult WriteMemory(ImageMemory memory, MemoryWrite& write,
                           std::optional<std::string>& sha256) {
        sha256 = Sha256Hex(std::span<const uint8_t>(write.bytes)
                               .subspan(write.first, write.last - write.first + 1));
        return Outcome(session_.WriteImage(memory, std::move(write.bytes), write.first, write.last,
                                           job_.settings.verify));
    }

    StepResult Flash() { return WriteMemory(ImageMemory::Flash, *flash_, record_.flashSha256); }
    StepResult Eeprom() { return WriteMemory(ImageMemory::Eeprom, *eeprom_, record_.eepromSha256); }

    // A number merged into an image went with it; one alone is written now.
    StepResult Serial() {
        if (!serialAlone_) {
            return StepResult::Ok;
        }
        const ImageMemory memory = job_.settings.serial->memory;
        return WriteMemory(
            memory, *serialAlone_,
            memory == ImageMemory::Flash ? record_.flashSha256 : record_.eepromSha256);
    }

    StepResult WriteConfig(const ConfigWrite& bytes) {
        if (!configOpen_) {
            if (const StepResult open = Outcome(session_.OpenConfig()); open != StepResult::Ok) {
                return open;
            }
            configOpen_ = true;
        }
        const StepResult written = Outcome(session_.WriteConfigBytes(bytes, control_.allowLockout));
        if (written == StepResult::Ok) {
            for (size_t i = 0; i < bytes.size(); ++i) {
                if (bytes[i]) {
                    record_.fuses[i] = bytes[i];
                }
            }
        }
        return written;
    }

    StepResult Fuses() {
        ConfigWrite fuses = job_.fuses;
        fuses[0].reset();
        return WriteConfig(fuses);
    }

    StepResult Lock() { return WriteConfig({job_.fuses[0], {}, {}, {}}); }

    Session& session_;
    const PreparedJob& job_;
    SerialCounter* counter_;
    const ChipJobControl& control_;
    ProductionRecord record_;
    std::vector<Step> bodies_;
    std::optional<MemoryWrite> flash_;
    std::optional<MemoryWrite> eeprom_;
    std::optional<MemoryWrite> serialAlone_;
    bool configOpen_ = false;
};

}  // namespace

ProductionRecord RunChipJob(Session& session, const PreparedJob& job, SerialCounter* counter,
                            const ChipJobControl& control) {
    return ChipJob(session, job, counter, control).Run();
}

}  // namespace zentaro
