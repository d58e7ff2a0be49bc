// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scripted_port.h"

#include <cstdio>

namespace zentaro::test {

ScriptedPort::Bytes ScriptedPort::Written() const {
    Bytes all;
    for (const Bytes& write : writes_) {
        all.insert(all.end(), write.begin(), write.end());
    }
    return all;
}

bool ScriptedPort::Open(const std::string& name, int baudRate) {
    const auto trouble = troubles_.find(name);
    if (trouble != troubles_.end()) {
        lastTrouble_ = trouble->second;
        return false;
    }
    lastTrouble_ = OpenTrouble{};
    if (openable_ && !openable_(name)) {
        return false;
    }
    name_ = name;
    baud_ = baudRate;
    open_ = true;
    events_.push_back("open " + name + " " + std::to_string(baudRate));
    return true;
}

void ScriptedPort::Close() {
    if (open_) {
        events_.push_back("close " + name_);
    }
    open_ = false;
    rx_.clear();
}

long ScriptedPort::Write(const uint8_t* data, size_t count) {
    if (failWrites_ || !open_) {
        return -1;
    }
    Bytes written(data, data + count);
    writes_.push_back(written);
    Bytes reply;
    if (responder_) {
        reply = responder_(name_, baud_, written);
    } else if (!replies_.empty()) {
        reply = std::move(replies_.front());
        replies_.pop_front();
    }
    rx_.insert(rx_.end(), reply.begin(), reply.end());
    return static_cast<long>(count);
}

long ScriptedPort::Read(uint8_t* data, size_t count) {
    if (!open_) {
        return -1;
    }
    size_t n = 0;
    while (n < count && !rx_.empty()) {
        data[n++] = rx_.front();
        rx_.pop_front();
    }
    return static_cast<long>(n);
}

bool ScriptedPort::WaitForData(int /*timeoutMs*/) {
    return !rx_.empty();
}

void ScriptedPort::PurgeReceive() {
    ++purges_;
    rx_.clear();
}

std::vector<std::string> Commands(const ScriptedPort& port) {
    std::vector<std::string> commands;
    for (const ScriptedPort::Bytes& w : port.Writes()) {
        std::string text(1, static_cast<char>(w[0]));
        for (size_t i = 1; i < w.size(); ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", w[i]);
            text += (i == 1 && (w[0] == ':' || w[0] == '.')) ? "" : " ";
            text += hex;
        }
        commands.push_back(text);
    }
    return commands;
}

}  // namespace zentaro::test
